// The records of the module's menu commands (module_commands.inc), and the
// handler of "Konfiguracja spr.obcej".
#include "module_commands.h"

#include "handler_scope.h"
#include "host_interface.h"
#include "komis.h"
#include "mazovia.h"
#include "trace.h"
#include "warnings.h"

namespace kw {

// Here beside the first command's handler rather than in a file of their own,
// which would move the DLL's data.
constinit const HostCommand ModuleCommands[kModuleCommandCount] = {
#define MODULE_COMMAND(name, id, hostCode, menuText, handler) {0, hostCode, MZ(menuText), id, 0, &handler, {}},
#include "module_commands.inc"
#undef MODULE_COMMAND
};

namespace {

constexpr uint16_t kModeBit = 0x8000;
// The host's access check before the configuration is touched, with the
// arguments the host's own configuration commands give it.
constexpr int kAccessFirst = 1;
constexpr int kAccessSecond = 5;
constexpr int kAccessThird = 1;
int AccessGranted() { return HostCheckAccess(kAccessFirst, kAccessSecond, kAccessThird); }

}  // namespace

int ConfigureForeignSale() {
  const HandlerScope running;
  const TraceEntry traced("KonfiguracjaSprObcej", 0, 0);
  ReadTraceSwitch();
  // Picked from inside a host call of a save of komis.cfg: a second save
  // there would leave the file to whichever of the two read it back last.
  if (KomisCfgBeingSaved()) {
    WarnAndLog(MZ("Trwa zapis konfiguracji!\nSpróbuj ponownie za chwilę."));
    return 0;
  }
  const bool raisedModeBit = (HostGetModeFlags() & kModeBit) == 0;
  if (raisedModeBit) HostSetModeFlags(kModeBit, 1);
  if (AccessGranted()) {
    CSprKomis* komis = CreateKomis();
    if (komis) {
      // The host may end the object inside its own calls (it is a host
      // dialog): its memory stays until the command is done with it.
      const KomisInUse use(komis);
      if (AccessGranted()) {
        komis->Initial();
        komis->RunDialog();
      }
      // The command's object is in no cell: document events never reach it,
      // and a document dialog's object stays that dialog's.
      DestroyKomis(komis);
    }
  }
  if (raisedModeBit) HostSetModeFlags(kModeBit, 0);
  return 0;
}

}  // namespace kw
