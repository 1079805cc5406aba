// A subject sees the foundation and what it shares with another subject: this
// has to compile, so that the failing probes fail for their include alone.
#include "contractor_lookup.h"
#include "host_records.h"
#include "komis.h"
#include "module_state.h"
#include "warnings.h"

int ProbeUsesTheLowerLayers() { return sizeof(kw::CSprKomis) > kw::kDialogBaseSize ? kw::kTmoSymbolLength : 0; }
