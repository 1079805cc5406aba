#include "config_command.h"

#include "host_interface.h"
#include "komis.h"
#include "mazovia.h"

namespace kw {

constinit const HostCommand CommandRecord = {
    0, 0x41CB, MZ("Konfiguracja spr.obcej"), kConfigCommandId, 0, &ConfigureForeignSale, {},
};

namespace {

constexpr uint16_t kModeBit = 0x8000;
// The host's access check before the configuration is touched.
int AccessGranted() { return HostCheckAccess(1, 5, 1); }

}  // namespace

int ConfigureForeignSale() {
  const bool raisedModeBit = (HostGetModeFlags() & kModeBit) == 0;
  if (raisedModeBit) HostSetModeFlags(kModeBit, 1);
  if (AccessGranted()) {
    // Picked inside a document dialog, the command borrows CurrentKomis and
    // gives the dialog's object back, so that the documents accepted after it
    // are still marked. The host may end that dialog, or open one, while the
    // command's own dialog is open: the object then ends (and leaves
    // DisplacedKomis), or the new one is current and stays so.
    CSprKomis* komis = CreateKomis();
    if (komis) {
      DisplacedKomis = CurrentKomis;
      CurrentKomis = komis;
      if (AccessGranted()) {
        komis->Initial();
        komis->RunDialog();
      }
      DestroyKomis(komis);
      if (!CurrentKomis) CurrentKomis = DisplacedKomis;
      DisplacedKomis = nullptr;
    }
  }
  if (raisedModeBit) HostSetModeFlags(kModeBit, 0);
  return 0;
}

}  // namespace kw
