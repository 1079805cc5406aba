// Held by every handler the host calls, for as long as it runs: counts it in
// HandlersStarted (module_globals.h).
#pragma once

#include "module_globals.h"

namespace kw {

class HandlerScope {
 public:
  HandlerScope() { ++HandlersStarted; }
  ~HandlerScope() = default;
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;
};

}  // namespace kw
