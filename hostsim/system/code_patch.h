// Replacing a Windows function in this process for the test's purposes: its
// first bytes become a jump to the replacement, which must answer by itself
// (Wine's functions have no hot-patch pad to call the original through).
#pragma once

namespace hostsim {

void PatchWithJump(void* target, const void* replacement);
// The address that a module importing the function from the DLL calls.
void* SystemFunction(const char* dll, const char* name);

}  // namespace hostsim
