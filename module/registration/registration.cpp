#include "registration.h"

#include "conversion_hook.h"
#include "host_interface.h"
#include "install_notice.h"
#include "jpk_table_hook.h"
#include "mazovia.h"
#include "module_commands.h"
#include "module_state.h"
#include "reassign_hook.h"

namespace kw {

namespace {
constexpr int kReassignEvent = 1664;
constexpr int kConversionEvent = 815;
}  // namespace

int RegisterWithHost() {
  if (SetJpkTableHook(1) != 0) {
    SetJpkTableHook(0);
    HostReportError(MZ("Program wymaga nowszej wtyczki!"));
    return -1;
  }
  ModuleUninstalled = false;
  for (const HostCommand& command : ModuleCommands) HostRegisterCommand(&command);
  EventHook1664 = HostRegisterEventHook(kReassignEvent, &ReassignHook);
  EventHook815 = HostRegisterEventHook(kConversionEvent, &ConversionHook);
  ShowInstallNotice();
  return 0;
}

int UninstallFromHost() {
  ModuleUninstalled = true;
  SetJpkTableHook(0);
  for (const HostCommand& command : ModuleCommands) HostUnregisterCommand(command.commandId);
  // The host releases the cells it handed over with the hooks.
  if (EventHook1664) HostUnregisterEventHook(kReassignEvent);
  EventHook1664 = nullptr;
  if (EventHook815) HostUnregisterEventHook(kConversionEvent);
  EventHook815 = nullptr;
  // The hooks are gone, so no dialog the host opens meanwhile gets an object.
  EndDocumentDialogObjects();
  return 0;
}

}  // namespace kw
