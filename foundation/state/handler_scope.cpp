#include "handler_scope.h"

namespace kw {

int HandlersRunning = 0;
uint32_t HandlersStarted = 0;

}  // namespace kw
