// The wiring sees the subjects, the shared parts and the foundation: this has
// to compile.
#include "compatibility.h"
#include "config_command.h"
#include "conversion_hook.h"
#include "host_binding.h"
#include "jpk_table_hook.h"
#include "reassign_hook.h"
#include "registration.h"

int ProbeUsesTheSubjects() { return kw::kJpkCleanupEvent + kw::kMessageBufferSize; }
