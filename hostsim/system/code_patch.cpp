#include "code_patch.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace hostsim {

void PatchWithJump(void* target, const void* replacement) {
  unsigned char jump[5] = {0xE9};
  const int32_t distance = static_cast<int32_t>(reinterpret_cast<intptr_t>(replacement) -
                                                (reinterpret_cast<intptr_t>(target) + 5));
  std::memcpy(jump + 1, &distance, sizeof distance);
  DWORD old;
  if (!VirtualProtect(target, sizeof jump, PAGE_EXECUTE_READWRITE, &old)) throw std::runtime_error("cannot patch");
  std::memcpy(target, jump, sizeof jump);
  VirtualProtect(target, sizeof jump, old, &old);
  FlushInstructionCache(GetCurrentProcess(), target, sizeof jump);
}

void* SystemFunction(const char* dll, const char* name) {
  HMODULE module = GetModuleHandleA(dll);
  if (!module) module = LoadLibraryA(dll);
  void* function = module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
  if (!function) throw std::runtime_error(std::string("no ") + dll + "!" + name);
  return function;
}

}  // namespace hostsim
