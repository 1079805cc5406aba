// The module's text formatter: Windows formatting rules, always bounded by the
// caller's array and always zero-terminated.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace kw {

// The number of characters written, or -1 when the text did not fit (it is
// then cut at the end of the buffer) or the format was wrong.
int FormatTextV(char* buffer, std::size_t size, const char* format, va_list args);

template <std::size_t N>
int FormatText(char (&buffer)[N], const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = FormatTextV(buffer, N, format, args);
  va_end(args);
  return written;
}

}  // namespace kw
