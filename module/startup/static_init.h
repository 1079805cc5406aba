// The module's static initialisers and destructors, run by the DLL's own
// entry point from the lists that the linker gathers from .ctors and .dtors.
#pragma once

namespace kw {

// Every static initialiser, in the order GCC's own start-up on this target
// runs them: from the end of the list back to its start.
void RunStaticInitialisers();
// Every entry of the destructors' list, from its start to its end. C++
// destructors of static objects are not on it (GCC registers them with
// atexit at run time, which this DLL does not import); the module has none.
void RunStaticDestructors();

}  // namespace kw
