// Two texts compared byte for byte within the module, without a host call.
#pragma once

namespace kw {

inline bool SameText(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

}  // namespace kw
