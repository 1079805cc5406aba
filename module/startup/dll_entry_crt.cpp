// The entry point of a DLL linked with the C runtime's start-up
// (KW_DLL_CRT_STARTUP, for a coverage build): the attach work first, before any
// static initialiser, then the C runtime's entry, which runs the static
// initialisers (the start-up steps) and DllMain, and on detach the exit list.
#include <windows.h>

#include "raw_attach.h"
#include "startup.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI KwDllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) kw::RawAttachHook(instance, reason, reserved);
  return DllMainCRTStartup(instance, reason, reserved);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) return kw::StartupSucceeded() ? TRUE : FALSE;
  return TRUE;
}
