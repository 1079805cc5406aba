// A subject must not see another subject: this include has to fail.
#include "config_command.h"
