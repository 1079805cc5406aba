// The foundation must not see what the subjects share: this include has to fail.
#include "komis.h"
