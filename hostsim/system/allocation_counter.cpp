#include "allocation_counter.h"

#include <cstddef>

#include "import_table.h"

namespace hostsim {
namespace {

AllocationCounts counts{};

using MallocFn = void* __cdecl(std::size_t);
using CallocFn = void* __cdecl(std::size_t, std::size_t);
using ReallocFn = void* __cdecl(void*, std::size_t);
using FreeFn = void __cdecl(void*);

MallocFn* originalMalloc = nullptr;
CallocFn* originalCalloc = nullptr;
ReallocFn* originalRealloc = nullptr;
FreeFn* originalFree = nullptr;
using StrdupFn = char* __cdecl(const char*);
StrdupFn* originalStrdup = nullptr;
MallocFn* originalNew = nullptr;
MallocFn* originalNewArray = nullptr;
FreeFn* originalDelete = nullptr;
FreeFn* originalDeleteArray = nullptr;

void* __cdecl CountingMalloc(std::size_t size) {
  ++counts.allocations;
  return originalMalloc(size);
}
void* __cdecl CountingCalloc(std::size_t count, std::size_t size) {
  ++counts.allocations;
  return originalCalloc(count, size);
}
void* __cdecl CountingRealloc(void* block, std::size_t size) {
  ++counts.allocations;
  return originalRealloc(block, size);
}
char* __cdecl CountingStrdup(const char* text) {
  ++counts.allocations;
  return originalStrdup(text);
}
void __cdecl CountingFree(void* block) {
  ++counts.releases;
  originalFree(block);
}
void* __cdecl CountingNew(std::size_t size) {
  ++counts.allocations;
  return originalNew(size);
}
void* __cdecl CountingNewArray(std::size_t size) {
  ++counts.allocations;
  return originalNewArray(size);
}
void __cdecl CountingDelete(void* block) {
  ++counts.releases;
  originalDelete(block);
}
void __cdecl CountingDeleteArray(void* block) {
  ++counts.releases;
  originalDeleteArray(block);
}

struct Replacement {
  const char* name;
  const void* counting;
  void** original;
};

template <typename Fn>
Replacement Replace(const char* name, Fn* counting, Fn** original) {
  return {name, reinterpret_cast<const void*>(counting), reinterpret_cast<void**>(original)};
}

const Replacement kReplacements[] = {
    Replace("malloc", &CountingMalloc, &originalMalloc),
    Replace("calloc", &CountingCalloc, &originalCalloc),
    Replace("realloc", &CountingRealloc, &originalRealloc),
    Replace("_strdup", &CountingStrdup, &originalStrdup),
    Replace("free", &CountingFree, &originalFree),
    Replace("_Znwj", &CountingNew, &originalNew),
    Replace("_Znaj", &CountingNewArray, &originalNewArray),
    Replace("_ZdlPv", &CountingDelete, &originalDelete),
    Replace("_ZdaPv", &CountingDeleteArray, &originalDeleteArray),
};

}  // namespace

int AllocationCounter::Install(HMODULE module) {
  int replaced = 0;
  for (const Replacement& r : kReplacements) {
    if (void* original = ReplaceImport(module, r.name, r.counting)) {
      *r.original = original;
      ++replaced;
    }
  }
  return replaced;
}

AllocationCounts AllocationCounter::Counts() { return counts; }
void AllocationCounter::Clear() { counts = {}; }

}  // namespace hostsim
