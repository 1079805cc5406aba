// The library's own entry point. The DLL is linked without the C runtime's
// start-up (see KW_DLL_LINK_OPTIONS in module/CMakeLists.txt), so this is
// all that runs when it is mapped: on process attach the stack guard of the
// hardened build, the attach work, then the module's static initialisers,
// which are its start-up steps (startup.cpp); the load fails when a step
// failed. On process detach the static destructors' list, once, when the
// initialisers ran. Thread attach and detach have nothing to do.
#include <windows.h>

#include "raw_attach.h"
#include "stack_guard.h"
#include "startup.h"
#include "static_init.h"

namespace {

bool initialisersRan = false;

}  // namespace

// Not protected itself: the guard changes while it runs.
extern "C" __attribute__((no_stack_protector)) BOOL WINAPI KwDllEntry(HINSTANCE instance, DWORD reason,
                                                                        LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    kw::SetUpStackGuard(instance);
    kw::RawAttachHook(instance, reason, reserved);
    kw::RunStaticInitialisers();
    initialisersRan = true;
    return kw::StartupSucceeded() ? TRUE : FALSE;
  }
  if (reason == DLL_PROCESS_DETACH && initialisersRan) {
    initialisersRan = false;
    kw::RunStaticDestructors();
  }
  return TRUE;
}
