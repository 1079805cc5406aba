// The host framework classes that the module registers at start-up.
#pragma once

#include <cstdint>

// Host data items imported by ordinal from TALMER.dll, read at registration
// (HostDialogBaseClassData, HostThunkAllocatorClassData).
#define HOST_DATA(ordinal, name, type) extern "C" __declspec(dllimport) type name;
#include "host_data_items.inc"
#undef HOST_DATA

namespace kw {

// HostRegisterClass(module, "ThunkAllocator", HostThunkAllocatorClassData, 0x103).
int RegisterThunkAllocatorClass();
// HostRegisterClass(module, "WDialogBase", HostDialogBaseClassData, 0x101).
int RegisterDialogBaseClass();

}  // namespace kw
