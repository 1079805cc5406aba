#include "module_heap_guard.h"

#include <cstddef>
#include <cstring>
#include <map>
#include <set>

#include "import_table.h"

namespace hostsim {
namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kArenaSize = 64u << 20;  // reserved at once, committed block by block
constexpr std::size_t kAlignment = 16;

unsigned char* arena = nullptr;
std::size_t arenaUsed = kArenaSize;
std::map<void*, std::size_t> live;  // block, size
std::set<void*> released;
int badReleases = 0;

// The runtime's own, for blocks the module took before the guard was in place.
using FreeFn = void __cdecl(void*);
using ReallocFn = void* __cdecl(void*, std::size_t);
FreeFn* runtimeFree = nullptr;
ReallocFn* runtimeRealloc = nullptr;

// Pages for a block and the guard page after it, never handed out again.
unsigned char* TakePages(std::size_t pages) {
  if (arenaUsed + pages * kPage > kArenaSize) {
    arena = static_cast<unsigned char*>(VirtualAlloc(nullptr, kArenaSize, MEM_RESERVE, PAGE_NOACCESS));
    arenaUsed = 0;
    if (!arena) return nullptr;
  }
  unsigned char* pagesAt = arena + arenaUsed;
  arenaUsed += pages * kPage;
  return pagesAt;
}

void* __cdecl GuardedMalloc(std::size_t size) {
  const std::size_t rounded = (size + kAlignment - 1) / kAlignment * kAlignment;
  const std::size_t pages = (rounded + kPage - 1) / kPage;
  unsigned char* at = TakePages(pages + 1);
  if (!at || !VirtualAlloc(at, pages * kPage, MEM_COMMIT, PAGE_READWRITE)) return nullptr;
  void* block = at + pages * kPage - rounded;
  live[block] = size;
  return block;
}

void __cdecl GuardedFree(void* block) {
  if (!block) return;
  auto found = live.find(block);
  if (found == live.end()) {
    if (released.count(block)) ++badReleases;
    else if (runtimeFree) runtimeFree(block);
    return;
  }
  VirtualFree(block, found->second ? found->second : 1, MEM_DECOMMIT);
  live.erase(found);
  released.insert(block);
}

void* __cdecl GuardedCalloc(std::size_t count, std::size_t size) {
  if (size && count > static_cast<std::size_t>(-1) / size) return nullptr;
  return GuardedMalloc(count * size);  // committed pages are zero
}

void* __cdecl GuardedRealloc(void* block, std::size_t size) {
  if (!block) return GuardedMalloc(size);
  auto found = live.find(block);
  if (found == live.end()) {
    if (released.count(block)) {
      ++badReleases;
      return nullptr;
    }
    return runtimeRealloc ? runtimeRealloc(block, size) : nullptr;
  }
  void* moved = GuardedMalloc(size);
  if (!moved) return nullptr;
  std::memcpy(moved, block, found->second < size ? found->second : size);
  GuardedFree(block);
  return moved;
}

char* __cdecl GuardedStrdup(const char* text) {
  const std::size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(GuardedMalloc(size));
  if (copy) std::memcpy(copy, text, size);
  return copy;
}

struct Replacement {
  const char* name;
  const void* guarded;
};

const Replacement kReplacements[] = {
    {"malloc", reinterpret_cast<const void*>(&GuardedMalloc)},
    {"calloc", reinterpret_cast<const void*>(&GuardedCalloc)},
    {"realloc", reinterpret_cast<const void*>(&GuardedRealloc)},
    {"_strdup", reinterpret_cast<const void*>(&GuardedStrdup)},
    {"free", reinterpret_cast<const void*>(&GuardedFree)},
    {"_Znwj", reinterpret_cast<const void*>(&GuardedMalloc)},
    {"_Znaj", reinterpret_cast<const void*>(&GuardedMalloc)},
    {"_ZdlPv", reinterpret_cast<const void*>(&GuardedFree)},
    {"_ZdaPv", reinterpret_cast<const void*>(&GuardedFree)},
};

}  // namespace

int ModuleHeapGuard::Install(HMODULE module) {
  int replaced = 0;
  for (const Replacement& r : kReplacements) {
    void* original = ReplaceImport(module, r.name, r.guarded);
    if (!original) continue;
    ++replaced;
    if (r.guarded == reinterpret_cast<const void*>(&GuardedFree) && !runtimeFree) {
      runtimeFree = reinterpret_cast<FreeFn*>(original);
    }
    if (r.guarded == reinterpret_cast<const void*>(&GuardedRealloc)) runtimeRealloc = reinterpret_cast<ReallocFn*>(original);
  }
  return replaced;
}

int ModuleHeapGuard::LiveBlocks() { return static_cast<int>(live.size()); }
int ModuleHeapGuard::BadReleases() { return badReleases; }

}  // namespace hostsim
