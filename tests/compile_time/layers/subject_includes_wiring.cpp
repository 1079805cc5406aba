// A subject must not see the wiring above it: this include has to fail.
#include "registration.h"
