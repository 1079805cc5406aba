// The library's own entry point: the attach work first, before any static
// initialiser, then the C runtime's entry, which runs the static initialisers
// and DllMain.
#include <windows.h>

#include "raw_attach.h"
#include "startup.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI KwDllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  kw::RawAttachHook(instance, reason, reserved);
  return DllMainCRTStartup(instance, reason, reserved);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) return kw::StartupSucceeded() ? TRUE : FALSE;
  return TRUE;
}
