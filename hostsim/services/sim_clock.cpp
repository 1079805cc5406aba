#include "sim_clock.h"

#include <cstring>

namespace hostsim {

SimClock::SimClock(Host& host) {
  host.On("HostGetDateText", [this](HostCall& call) -> uint32_t {
    std::memcpy(call.Ptr<char>(0), date_.c_str(), date_.size() + 1);
    return 0;
  });
  host.On("HostGetTimeText", [this](HostCall& call) -> uint32_t {
    std::memcpy(call.Ptr<char>(0), time_.c_str(), time_.size() + 1);
    return 0;
  });
}

}  // namespace hostsim
