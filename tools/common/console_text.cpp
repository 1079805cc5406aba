#include "console_text.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#endif

namespace kw::tools {

#ifdef _WIN32

namespace {

std::wstring Widen(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(length > 0 ? length : 0, '\0');
  if (length > 0) WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace

std::string DisplayPath(const std::string& path) { return Narrow(Widen(path, CP_ACP), CP_UTF8); }

bool WriteText(std::FILE* stream, std::string_view utf8) {
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  const std::wstring wide = Widen(utf8, CP_UTF8);
  DWORD mode;
  if (handle != INVALID_HANDLE_VALUE && handle && GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    DWORD written = 0;
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
           written == wide.size();
  }
  UINT codePage = GetConsoleOutputCP();
  if (codePage == 0) codePage = GetOEMCP();
  const std::string converted = Narrow(wide, codePage);
  return std::fwrite(converted.data(), 1, converted.size(), stream) == converted.size();
}

#else

bool WriteText(std::FILE* stream, std::string_view utf8) {
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

std::string DisplayPath(const std::string& path) { return path; }

#endif

}  // namespace kw::tools
