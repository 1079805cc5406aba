#include "format_text.h"

#include <windows.h>
#include <shlwapi.h>

namespace kw {

int FormatTextV(char* buffer, std::size_t size, const char* format, va_list args) {
  if (size == 0) return -1;
  const int written = wvnsprintfA(buffer, static_cast<int>(size), format, args);
  if (written < 0) buffer[size - 1] = '\0';
  return written;
}

}  // namespace kw
