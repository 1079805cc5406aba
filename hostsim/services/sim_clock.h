// The host's date and time texts.
#pragma once

#include <string>

#include "host.h"

namespace hostsim {

class SimClock : public HostComponent {
 public:
  explicit SimClock(Host& host);
  void Set(std::string date, std::string time) {
    date_ = std::move(date);
    time_ = std::move(time);
  }

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t GetDateText(HostCall& call);
  uint32_t GetTimeText(HostCall& call);

  std::string date_ = "07.12.2026";
  std::string time_ = "10:15:00";
};

}  // namespace hostsim
