// The block of module data through which the host reaches the module's
// missing-features word: the host looks for the address of its entry 30007,
// "TALMER\0\0", a 32-bit word and the address of 30007 again, and writes the
// features it lacks into that word when the module calls it back with (1, -1).
#pragma once

#include <cstddef>

#include "fallback_rule.h"
#include "host_interface.h"

namespace kw {

using AttachRoutine = BOOL WINAPI(HINSTANCE instance, DWORD reason, LPVOID reserved);

struct ModuleFrameBlock {
  AttachRoutine* attachRoutine;                 // runs at process attach before static init
  HostSecondaryCallbackFn* secondaryCallback1;  // host entry 30007 after attach
  char hostModuleName[8];                       // "TALMER" and two zero bytes
  volatile uint32_t missingHostFeatures;        // written by the host only; 0xFFFFFFFF at load
  HostSecondaryCallbackFn* secondaryCallback2;  // host entry 30007 again
  const void* returnZeroStubs[kReturnZeroStubCount];  // stub i returns 0 and removes 4*i bytes
};
static_assert(offsetof(ModuleFrameBlock, attachRoutine) == 0);
static_assert(offsetof(ModuleFrameBlock, secondaryCallback1) == 4);
static_assert(offsetof(ModuleFrameBlock, hostModuleName) == 8);
static_assert(offsetof(ModuleFrameBlock, missingHostFeatures) == 16);
static_assert(offsetof(ModuleFrameBlock, secondaryCallback2) == 20);
static_assert(offsetof(ModuleFrameBlock, returnZeroStubs) == 24);
static_assert(sizeof(ModuleFrameBlock) == 24 + 4 * kReturnZeroStubCount);

extern ModuleFrameBlock ModuleFrame;  // writable data

// The fallback that returns 0 and leaves the arguments to the caller.
inline const void* ReturnZeroCdecl() { return ModuleFrame.returnZeroStubs[0]; }

}  // namespace kw
