#include "handler_scope.h"

namespace kw {

uint32_t HandlersStarted = 0;

}  // namespace kw
