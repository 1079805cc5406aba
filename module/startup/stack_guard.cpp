#include "stack_guard.h"

#include <cstdint>

#if defined(__SSP__) || defined(__SSP_STRONG__) || defined(__SSP_ALL__) || defined(__SSP_EXPLICIT__)
#define KW_STACK_PROTECTOR 1
extern "C" uintptr_t __stack_chk_guard;  // libssp's word (a void* there), 0 until set
#endif

namespace kw {

#ifdef KW_STACK_PROTECTOR
namespace {

// A 32-bit finaliser that spreads every input bit over the whole word.
uint32_t Mix(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

}  // namespace

// What the entry has without importing anything: the time-stamp counter (every
// i686 processor has it; it never repeats between loads), the stack address
// and the instance handle. The lowest byte is 0, so that a string copy that
// runs over a buffer cannot write the guard back.
__attribute__((no_stack_protector)) void SetUpStackGuard(HINSTANCE instance) {
  if (__stack_chk_guard != 0) return;
  const uint64_t ticks = __builtin_ia32_rdtsc();
  uint32_t value = Mix(static_cast<uint32_t>(ticks) ^ Mix(static_cast<uint32_t>(ticks >> 32)) ^
                       static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0))) ^
                       Mix(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(instance))));
  value &= ~0xFFu;
  __stack_chk_guard = value != 0 ? value : 0xFF0A0000u;  // libssp's terminator guard
}
#else
void SetUpStackGuard(HINSTANCE) {}
#endif

}  // namespace kw
