// The module's handlers that the host is running now, and how many it has
// started since the module was loaded. The host may call a handler from
// inside any host function a handler calls: a handler that goes on after a
// host call compares HandlersStarted with what it was before the call to see
// whether another handler ran meanwhile (and may have changed a record
// buffer, a list or a cell the handler relies on).
#pragma once

#include <cstdint>

namespace kw {

extern int HandlersRunning;
extern uint32_t HandlersStarted;

// Held by every handler the host calls, for as long as it runs.
class HandlerScope {
 public:
  HandlerScope() {
    ++HandlersRunning;
    ++HandlersStarted;
  }
  ~HandlerScope() { --HandlersRunning; }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;
};

}  // namespace kw
