// The module's heap under guard: the malloc, calloc, realloc and free of its
// import table (and operator new and delete, should it import them) are
// replaced by ones that put every block at the end of its own pages, before an
// inaccessible page, and that make a released block inaccessible instead of
// handing its memory out again. A read or write past a block, or after its
// release, then faults at the faulting instruction.
#pragma once

#include <windows.h>

namespace hostsim {

class ModuleHeapGuard {
 public:
  // Answers how many import cells it replaced.
  static int Install(HMODULE module);
  static int LiveBlocks();
  // free of a block the guard never gave, or given twice.
  static int BadReleases();
};

}  // namespace hostsim
