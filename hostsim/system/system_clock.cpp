#include "system_clock.h"

#include "import_table.h"

namespace hostsim {

namespace {

constexpr SYSTEMTIME kStart = {2026, 12, 1, 7, 10, 15, 0, 0};
SYSTEMTIME now = kStart;

void WINAPI AnswerLocalTime(SYSTEMTIME* time) {
  if (time) *time = now;
}

}  // namespace

void SystemClock::Intercept(HMODULE module) { ReplaceImport(module, "GetLocalTime", reinterpret_cast<const void*>(&AnswerLocalTime)); }
void SystemClock::Set(const SYSTEMTIME& time) { now = time; }
void SystemClock::Reset() { now = kStart; }

}  // namespace hostsim
