// Which fallback stands in for a host function that is missing when the user
// answers Ignore in the binding dialog. The fallbacks return 0; fallback i
// removes 4*i bytes of arguments. The entry's own digits choose it: an
// ordinal's last two digits, or the digits after the last '@' of a decorated
// name, give the bytes; 99 and a name without digits mean "the caller removes
// them" (fallback 0); a count that is not a multiple of 4 or is too large has
// no fallback, and the load then fails. Binding a catalogue row then puts the
// fallback with the catalogue's byte count in its place (host_binding.cpp).
// Plain code without Windows headers, shared with kalwcheck.
#pragma once

namespace kw {

inline constexpr int kReturnZeroStubCount = 15;
inline constexpr int kNoFallback = -1;

constexpr int FallbackForBytes(int bytes) {
  return bytes % 4 == 0 && bytes / 4 < kReturnZeroStubCount ? bytes / 4 : kNoFallback;
}

constexpr int FallbackForOrdinal(int ordinal) {
  const int bytes = ordinal % 100;
  return bytes == 99 ? 0 : FallbackForBytes(bytes);
}

constexpr int FallbackForName(const char* name) {
  const char* at = nullptr;
  for (const char* p = name; *p; ++p) {
    if (*p == '@') at = p;
  }
  if (!at || at[1] < '0' || at[1] > '9') return 0;
  int bytes = 0;
  for (const char* p = at + 1; *p >= '0' && *p <= '9' && bytes <= 4 * kReturnZeroStubCount; ++p) {
    bytes = bytes * 10 + (*p - '0');
  }
  return bytes / 4 < kReturnZeroStubCount ? bytes / 4 : kNoFallback;
}

// What Ignore gives a missing catalogue function: kNoFallback, or the fallback
// that removes the catalogue's bytes.
constexpr int FallbackForCatalogueRow(int ordinal, int calleeBytes) {
  return FallbackForOrdinal(ordinal) == kNoFallback ? kNoFallback : calleeBytes / 4;
}

}  // namespace kw
