// Calls into the module made the way the host makes them, with the stack
// pointer and the callee-saved registers checked around each call.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace hostsim {

struct SimCallCheck {
  int32_t espDelta;          // ESP after the call minus where the convention leaves it
  uint32_t brokenRegisters;  // 1 EBX, 2 ESI, 4 EDI changed by the callee
  uint32_t framePointer;     // EBP during the call
};

// Register values the caller sets before every checked call.
inline constexpr uint32_t kCallerEax = 0x0EAA0001, kCallerEdx = 0x0EDD0002, kCallerEbx = 0x0EBB0003,
                          kCallerEsi = 0x0E510004, kCallerEdi = 0x0ED10005;

enum class Convention { Std, Cdecl, This };

struct CheckedResult {
  uint32_t value;
  SimCallCheck check;
};

// Calls function with args (first argument first); for This, thisValue goes in ECX.
CheckedResult CallChecked(const void* function, Convention convention, const std::vector<uint32_t>& args,
                          uint32_t thisValue = 0);

// The same, reporting a wrong stack or broken registers to the host as a fault
// named after what was called.
uint32_t CallModule(const std::string& what, const void* function, Convention convention,
                    const std::vector<uint32_t>& args, uint32_t thisValue = 0);

}  // namespace hostsim
