// What runs when the library is mapped, before any static initialiser.
#pragma once

#include <windows.h>

namespace kw {

// Keeps the instance handle, the module path and file name, and binds the host
// library; acts on process attach only and always reports success.
BOOL WINAPI RawAttachHook(HINSTANCE instance, DWORD reason, LPVOID reserved);

// The text after the last backslash, then after the last slash within it.
const char* FileNameOfPath(const char* path);

// Finds the host library once and takes its entries 30006 and 30007.
void AttachHostLibrary();

}  // namespace kw
