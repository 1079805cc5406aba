#include "sim_clock.h"

#include <cstring>

namespace hostsim {

SimClock::SimClock(Host& host) {
  host.On("HostGetDateText", [this](HostCall& call) { return GetDateText(call); });
  host.On("HostGetTimeText", [this](HostCall& call) { return GetTimeText(call); });
}

// HostGetDateText(buffer): the date as the host writes it.
uint32_t SimClock::GetDateText(HostCall& call) {
  std::memcpy(call.Ptr<char>(0), date_.c_str(), date_.size() + 1);
  return 0;
}

// HostGetTimeText(buffer): the time as the host writes it.
uint32_t SimClock::GetTimeText(HostCall& call) {
  std::memcpy(call.Ptr<char>(0), time_.c_str(), time_.size() + 1);
  return 0;
}

}  // namespace hostsim
