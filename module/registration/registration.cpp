#include "registration.h"

#include "config_command.h"
#include "conversion_hook.h"
#include "host_interface.h"
#include "install_notice.h"
#include "jpk_table_hook.h"
#include "komis.h"
#include "mazovia.h"
#include "module_state.h"
#include "reassign_hook.h"

namespace kw {

namespace {
constexpr int kReassignEvent = 1664;
constexpr int kConversionEvent = 815;

// A document dialog still open when the module goes: its object ends as at
// the dialog's end (the host's state cells back, its base part torn down),
// so that the host's dialog keeps nothing of the module. Its marked
// documents are not converted here: the dialog still has a document in
// table 44's record buffer. They stay marked for the module's next run.
// The hooks are gone by now and the module is no longer registered, so no
// dialog the host opens meanwhile gets an object; a dialog's end still being
// handed on converts nothing afterwards.
void EndDialogObjects() {
  while (CSprKomis* open = DialogKomis ? DialogKomis : EndingKomis) DestroyKomis(open);
}

}  // namespace

int RegisterWithHost() {
  if (SetJpkTableHook(1) != 0) {
    SetJpkTableHook(0);
    HostReportError(MZ("Program wymaga nowszej wtyczki!"));
    return -1;
  }
  ModuleUninstalled = false;
  HostRegisterCommand(&CommandRecord);
  EventHook1664 = HostRegisterEventHook(kReassignEvent, &ReassignHook);
  EventHook815 = HostRegisterEventHook(kConversionEvent, &ConversionHook);
  ShowInstallNotice();
  return 0;
}

int UninstallFromHost() {
  ModuleUninstalled = true;
  SetJpkTableHook(0);
  HostUnregisterCommand(CommandRecord.commandId);
  if (EventHook1664) HostUnregisterEventHook(kReassignEvent);
  if (EventHook815) HostUnregisterEventHook(kConversionEvent);
  EndDialogObjects();
  return 0;
}

}  // namespace kw
