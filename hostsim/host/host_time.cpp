#include "host_time.h"

#include <windows.h>
#include <x86intrin.h>

namespace hostsim {
namespace {

bool inHost = false;
uint64_t since = 0;
uint64_t hostTicks = 0;

void CountAs(bool host) {
  const uint64_t now = __rdtsc();
  if (inHost) hostTicks += now - since;
  since = now;
  inHost = host;
}

}  // namespace

HostTimeScope::HostTimeScope(bool host) : wasInHost_(inHost) { CountAs(host); }
HostTimeScope::~HostTimeScope() { CountAs(wasInHost_); }

uint64_t HostTicks() {
  if (inHost) CountAs(true);
  return hostTicks;
}

uint64_t CounterTicks() { return __rdtsc(); }

double CounterTicksPerSecond() {
  static const double perSecond = [] {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const uint64_t ticksAtStart = __rdtsc();
    do {
      QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < frequency.QuadPart / 5);
    const double seconds = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    return static_cast<double>(__rdtsc() - ticksAtStart) / seconds;
  }();
  return perSecond;
}

}  // namespace hostsim
