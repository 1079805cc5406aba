#include "file_access.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kw::tools {

std::string ReasonOfError(int error) {
  switch (error) {
    case ENOENT: return "plik lub folder nie istnieje";
    case EACCES:
    case EPERM: return "brak uprawnień";
    case EISDIR: return "to jest folder, nie plik";
    case ENOTDIR: return "część ścieżki nie jest folderem";
    case EROFS: return "system plików jest tylko do odczytu";
    case ENOSPC: return "brak miejsca na dysku";
    case EFBIG: return "plik osiągnął największy dozwolony rozmiar";
    case EMFILE:
    case ENFILE: return "za dużo otwartych plików";
    case EEXIST: return "plik już istnieje";
    case EBUSY: return "plik jest zajęty";
    case EIO: return "błąd wejścia-wyjścia";
  }
  return std::string("błąd systemu ") + std::to_string(error) + " (" + std::strerror(error) + ")";
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

FileStream::FileStream(const std::string& path) {
  if (IsDirectory(path)) {
    reason_ = ReasonOfError(EISDIR);
    return;
  }
  errno = 0;
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) {
    const int error = errno;
    missing_ = error == ENOENT;
    reason_ = ReasonOfError(error);
  }
}

FileStream::~FileStream() {
  if (file_) std::fclose(file_);
}

std::size_t FileStream::Read(char* buffer, std::size_t size) {
  if (!file_ || Failed()) return 0;
  errno = 0;
  const std::size_t got = std::fread(buffer, 1, size, file_);
  bytesRead_ += got;
  if (got < size && std::ferror(file_)) reason_ = "błąd odczytu: " + ReasonOfError(errno ? errno : EIO);
  return got;
}

FileBytes ReadWholeFile(const std::string& path, std::size_t limit) {
  FileBytes result;
  FileStream file(path);
  result.missing = file.Missing();
  constexpr std::size_t kPiece = std::size_t{1} << 16;
  while (file.IsOpen() && !file.Failed() && result.bytes.size() <= limit) {
    const std::size_t used = result.bytes.size();
    result.bytes.resize(used + kPiece);
    const std::size_t got = file.Read(reinterpret_cast<char*>(result.bytes.data()) + used, kPiece);
    result.bytes.resize(used + got);
    if (got == 0) break;
  }
  result.tooLong = result.bytes.size() > limit;
  result.reason = result.tooLong ? "plik jest większy niż " + SizeText(limit) : file.Reason();
  result.ok = file.IsOpen() && result.reason.empty();
  if (!result.ok) result.bytes.clear();
  return result;
}

std::string ByteCount(std::uint64_t count) {
  const char* word = "bajtów";
  if (count == 1) {
    word = "bajt";
  } else if (count % 10 >= 2 && count % 10 <= 4 && (count % 100 < 12 || count % 100 > 14)) {
    word = "bajty";
  }
  return std::to_string(count) + " " + word;
}

}  // namespace kw::tools

namespace kw::tools {

std::string SizeText(std::uint64_t bytes) {
  constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  if (bytes < 1024) return ByteCount(bytes);
  double size = static_cast<double>(bytes) / 1024;
  int unit = 0;
  for (; size >= 1024 && unit < 3; ++unit) size /= 1024;
  char text[32];
  std::snprintf(text, sizeof text, size < 10 ? "%.1f %s" : "%.0f %s", size, kUnits[unit]);
  std::string shown = text;
  for (char& c : shown) c = c == '.' ? ',' : c;
  return shown;
}

}  // namespace kw::tools
