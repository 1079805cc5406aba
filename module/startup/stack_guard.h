// The stack protector's guard word of the hardened build.
#pragma once

#include <windows.h>

namespace kw {

// Gives the guard word (libssp's __stack_chk_guard) a value that differs from
// load to load, before any protected function of the module runs: without the
// C runtime's start-up nobody else sets it before the attach work, and a guard
// that changed under a running protected function would trap on its return.
// libssp's own constructor, run later among the static initialisers, keeps a
// guard that is already set. Does nothing in a build without the protector.
void SetUpStackGuard(HINSTANCE instance);

}  // namespace kw
