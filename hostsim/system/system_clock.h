// The computer's clock as a module reads it (GetLocalTime): the simulated
// system answers it for the module the host loads, from a time that tests
// set, 2026-12-07 10:15:00 until one does (the host's own date and time texts
// say the same).
#pragma once

#include <windows.h>

namespace hostsim {

class SystemClock {
 public:
  // The module's GetLocalTime answers from here from now on.
  static void Intercept(HMODULE module);
  static void Set(const SYSTEMTIME& now);
  static void Reset();  // back to 2026-12-07 10:15:00
};

}  // namespace hostsim
