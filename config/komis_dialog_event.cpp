// The configuration dialog's event handler, the second virtual operation of
// CSprKomis: the host's warehouse list opens when the dialog opens and on the
// F2 item.
#include "handler_scope.h"
#include "host_dialog_codes.h"
#include "komis.h"
#include "trace.h"

namespace kw {

namespace {
constexpr int kListShown = -2;
}  // namespace

int CSprKomis::OnDialogEvent(int code, int phase) {
  const int16_t event = static_cast<int16_t>(code);
  const int16_t when = static_cast<int16_t>(phase);
  const uint16_t item = static_cast<uint16_t>(event);
  if (when == kPhaseClose) {
    // The user's choice is made: a save that starts from now on is a later
    // one. A closing the host calls off is followed by another: the last
    // one counts.
    dialogEndSeen = true;
    savesAtDialogEnd = KomisCfgSavesStarted();
    return 0;
  }
  if (item != kWarehouseListItem && item != kWarehouseListAgain && when != kPhaseOpen) return 0;
  HostEditWarehouseFlags(kWarehouseListItem, 0, warehouseFlags, item == kWarehouseListItem ? 1 : 0, 0, 0, 0, 0);
  HostSetDialogFlags(kDialogFlagsWhich, kDialogFlagsAfterList, 1);
  return kListShown;
}

}  // namespace kw

extern "C" int __attribute__((thiscall)) KwKomisOnDialogEvent(kw::CSprKomis* self, int code, int phase)
    __asm__("KwKomisOnDialogEvent");
extern "C" int __attribute__((thiscall)) KwKomisOnDialogEvent(kw::CSprKomis* self, int code, int phase) {
  const kw::HandlerScope running;
  const kw::TraceEntry traced("CSprKomis::OnDialogEvent", code, phase, self);
  return self->OnDialogEvent(code, phase);
}
