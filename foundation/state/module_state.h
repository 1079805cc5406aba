// Module-wide state set at start-up, and the module's fixed texts.
#pragma once

#include "host_interface.h"
#include "mazovia.h"

namespace kw {

inline constexpr int kModulePathSize = 300;

// "Obsłuż sprzedaż obcą.": names the module in its texts and is handed to the
// host at installation.
inline constexpr const auto& ModuleDescription = MZ_ARRAY("Obsłuż sprzedaż obcą.");
static_assert(sizeof(ModuleDescription) == 22);

extern HINSTANCE ModuleHandle;
extern char ModulePath[kModulePathSize];
extern const char* ModuleFileName;  // the last component of ModulePath
extern HMODULE HostModule;          // TALMER, null while not found
extern HostModuleCallbackFn* HostModuleCallback;
// Uninstalled from the host, and not registered again since: a handler the
// host still runs then makes no new object and converts nothing.
extern bool ModuleUninstalled;

}  // namespace kw

// Optional handlers behind exports 30009 and 30010; nothing sets them.
extern "C" void* ExtraHandlerNoArgs;
extern "C" void* ExtraHandlerOneArg;
