// The static initialisers of the module, in this order: one per host function
// of the catalogue, the registrations of the host classes "ThunkAllocator" and
// "WDialogBase", and last the one of HostRegisterClass itself, which the
// registrations therefore reach through its first-call entry. The first step
// that fails stops the rest, and the DLL's entry point then fails the load
// (startup/dll_entry.cpp runs the initialisers).
#include "host_binding.h"
#include "host_classes.h"
#include "startup.h"

namespace kw {
namespace {

bool startupFailed = false;
constexpr uint16_t kRegisterClassOrdinal = 30017;

int Step(int (*step)()) {
  if (!startupFailed && step() != 0) startupFailed = true;
  return 0;
}

template <int Row>
int BindRow() { return BindAtStartup(Row); }

// Bound last, after the registrations that reach it: so it is the
// catalogue's last line, and the catalogue's order stays the binding order.
static_assert(CatalogueRowOf(kRegisterClassOrdinal) == kHostCatalogueSize - 1,
              "host_catalogue.inc: HostRegisterClass is not the last line");

#define HOST_FN(ordinal, name, conv, bytes, result, params) \
  [[maybe_unused]] const int bound##ordinal =               \
      ordinal == kRegisterClassOrdinal ? 0 : Step(BindRow<CatalogueRowOf(ordinal)>);
#include "host_catalogue.inc"
#undef HOST_FN

const int thunkAllocatorRegistered = Step(RegisterThunkAllocatorClass);
const int dialogBaseRegistered = Step(RegisterDialogBaseClass);
const int registerClassBound = Step(BindRow<CatalogueRowOf(kRegisterClassOrdinal)>);

}  // namespace

bool StartupSucceeded() { return !startupFailed; }

}  // namespace kw
