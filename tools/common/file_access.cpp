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

FileBytes ReadWholeFile(const std::string& path, std::size_t limit) {
  FileBytes result;
  if (IsDirectory(path)) {
    result.reason = ReasonOfError(EISDIR);
    return result;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    const int error = errno;
    result.missing = error == ENOENT;
    result.reason = ReasonOfError(error);
    return result;
  }
  // One buffer of the file's size, read in one go; a file that grows
  // meanwhile is read on to its end, up to the limit.
  std::size_t expected = 0;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    expected = size > 0 ? static_cast<std::size_t>(size) : 0;
  }
  std::rewind(file);
  std::size_t used = 0;
  bool tooLong = expected > limit;
  if (!tooLong) result.bytes.resize(expected + 1);
  while (!tooLong) {
    if (used == result.bytes.size()) {
      tooLong = used > limit;
      if (tooLong) break;
      result.bytes.resize(std::min(std::max<std::size_t>(2 * used, 1 << 16), limit + 1));
    }
    const std::size_t wanted = result.bytes.size() - used;
    const std::size_t got = std::fread(result.bytes.data() + used, 1, wanted, file);
    used += got;
    if (got < wanted) break;
  }
  if (tooLong || used > limit) {
    result.reason = "plik jest dłuższy niż " + ByteCount(limit);
    result.tooLong = true;
    std::fclose(file);
    result.bytes.clear();
    return result;
  }
  result.bytes.resize(used);
  const bool failed = std::ferror(file);
  const int error = errno;
  std::fclose(file);
  if (failed) {
    result.reason = "błąd odczytu: " + ReasonOfError(error ? error : EIO);
    result.bytes.clear();
    return result;
  }
  result.ok = true;
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
