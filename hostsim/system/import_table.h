// A loaded module's import table: the cell through which it calls a function
// it imports by name, replaced for the host's purposes.
#pragma once

#include <windows.h>

namespace hostsim {

// Puts replacement into every cell of module's import table that holds the
// function imported under this name (from whatever DLL); answers what the
// cell held before, or null when the module does not import it by name.
void* ReplaceImport(HMODULE module, const char* name, const void* replacement);

}  // namespace hostsim
