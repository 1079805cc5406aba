// The foundation must not see a subject: this include has to fail.
#include "conversion_hook.h"
