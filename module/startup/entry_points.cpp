// Exports 30001 and 30008. 30009 and 30010 are in host_entries.S.
#include <windows.h>

#include "compatibility.h"
#include "module_state.h"
#include "registration.h"
#include "trace.h"

extern "C" int __stdcall ModuleInstall(HostModuleCallbackFn* callback, char* description) {
  const kw::TraceEntry traced("ModuleInstall", callback != nullptr, 0);
  if (!callback) return kw::UninstallFromHost();
  kw::HostModuleCallback = callback;
  kw::ReadTraceSwitch();
  if (description) CopyMemory(description, kw::ModuleDescription.data(), sizeof kw::ModuleDescription);
  return kw::CheckHostCompatibility();
}

extern "C" int __stdcall ModuleRegister(int flag) {
  const kw::TraceEntry traced("ModuleRegister", flag, 0);
  if (flag != 0) {
    kw::DiagnoseNotActive();
    return 0;
  }
  return kw::RegisterWithHost();
}
