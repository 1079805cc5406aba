// Counts the memory allocations a loaded module makes: the entries of its
// import table for the C runtime's allocator (and for operator new and delete,
// should it import them) are replaced by counting ones that call the original.
#pragma once

#include <windows.h>

namespace hostsim {

struct AllocationCounts {
  int allocations;  // malloc, calloc, realloc, _strdup, operator new
  int releases;     // free, operator delete
};

class AllocationCounter {
 public:
  // Replaces the allocator entries in module's import table; answers how many.
  static int Install(HMODULE module);
  static AllocationCounts Counts();
  static void Clear();
};

}  // namespace hostsim
