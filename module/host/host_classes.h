// The host framework classes that the module registers at start-up.
#pragma once

#include <cstdint>

// Host data items imported by ordinal from TALMER.dll, read at registration.
extern "C" __declspec(dllimport) uint32_t HostThunkAllocatorClassData;  // ordinal 20978
extern "C" __declspec(dllimport) uint32_t HostDialogBaseClassData;      // ordinal 20968

namespace kw {

// HostRegisterClass(module, "ThunkAllocator", HostThunkAllocatorClassData, 0x103).
int RegisterThunkAllocatorClass();
// HostRegisterClass(module, "WDialogBase", HostDialogBaseClassData, 0x101).
int RegisterDialogBaseClass();

}  // namespace kw
