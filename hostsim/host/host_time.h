// The time spent inside the simulated host: in the answer of every TALMER call
// and in the host's own handlers that the module calls on, less the time of
// the calls the host makes into the module meanwhile. Counted with the
// processor's time-stamp counter, so that counting costs a few nanoseconds.
#pragma once

#include <cstdint>

namespace hostsim {

// While one lives, time counts as the host's (inHost) or as the module's; the
// time before it counts again as it did when it ends.
class HostTimeScope {
 public:
  explicit HostTimeScope(bool inHost);
  ~HostTimeScope();
  HostTimeScope(const HostTimeScope&) = delete;
  HostTimeScope& operator=(const HostTimeScope&) = delete;

 private:
  bool wasInHost_;
};

// Counter ticks spent in the host so far.
uint64_t HostTicks();
uint64_t CounterTicks();
// Ticks per second of the counter, measured once against the performance counter.
double CounterTicksPerSecond();

}  // namespace hostsim
