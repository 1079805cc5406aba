#include "raw_attach.h"

#include "frame_block.h"
#include "host_function_cast.h"
#include "module_state.h"

namespace kw {

const char* FileNameOfPath(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\') name = p + 1;
  }
  for (const char* p = name; *p; ++p) {
    if (*p == '/') name = p + 1;
  }
  return name;
}

void AttachHostLibrary() {
  if (HostModule) return;
  HostModule = GetModuleHandleA(ModuleFrame.hostModuleName);
  if (!HostModule) return;
  HostModuleCallback = HostFunctionCast<HostModuleCallbackFn>(
      GetProcAddress(HostModule, MAKEINTRESOURCEA(kHostModuleCallbackEntry.ordinal)));
  HostSecondaryCallbackFn* secondary = HostFunctionCast<HostSecondaryCallbackFn>(
      GetProcAddress(HostModule, MAKEINTRESOURCEA(kHostSecondaryCallbackEntry.ordinal)));
  ModuleFrame.secondaryCallback1 = secondary;
  ModuleFrame.secondaryCallback2 = secondary;
}

BOOL WINAPI RawAttachHook(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  ModuleHandle = instance;
  GetModuleFileNameA(instance, ModulePath, kModulePathSize);
  ModulePath[kModulePathSize - 1] = '\0';  // older systems leave a cut path unterminated
  ModuleFileName = FileNameOfPath(ModulePath);
  AttachHostLibrary();
  return TRUE;
}

}  // namespace kw
