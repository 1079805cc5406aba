// The one place where an address from GetProcAddress becomes a typed host
// function; nothing calls through a bare FARPROC.
#pragma once

#include <windows.h>

namespace kw {

template <typename Function>
Function* HostFunctionCast(FARPROC address) {
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(address));
}

}  // namespace kw
