#include "replace_file.h"

#include <cerrno>
#include <cstdio>

#include "console_text.h"
#include "file_access.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace kw::tools {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

}  // namespace

#ifdef _WIN32

namespace {

std::string ReasonOfWindowsError(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED: return "brak dostępu (plik tylko do odczytu, folder bez prawa zapisu albo plik otwarty)";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "plik jest otwarty w innym programie";
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND: return "folder nie istnieje";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "brak miejsca na dysku";
    case ERROR_WRITE_PROTECT: return "nośnik jest chroniony przed zapisem";
  }
  return "błąd systemu Windows " + std::to_string(error);
}

}  // namespace

std::string ReplaceWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string folder = FolderOf(path);
  char temporary[MAX_PATH];
  if (GetTempFileNameA(folder.c_str(), "kcf", 0, temporary) == 0) {
    return "nie można utworzyć pliku tymczasowego w folderze " + DisplayPath(folder) + ": " +
           ReasonOfWindowsError(GetLastError());
  }
  std::FILE* file = std::fopen(temporary, "wb");
  if (!file) {
    const int error = errno;
    DeleteFileA(temporary);
    return "nie można otworzyć pliku tymczasowego " + DisplayPath(temporary) + ": " + ReasonOfError(error);
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0 &&
                       FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
  const int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    DeleteFileA(temporary);
    return "błąd zapisu pliku tymczasowego " + DisplayPath(temporary) + ": " + ReasonOfError(error ? error : EIO);
  }
  if (!MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD moveError = GetLastError();
    DeleteFileA(temporary);
    return "nie można zastąpić pliku: " + ReasonOfWindowsError(moveError);
  }
  return {};
}

#else

namespace {

bool WriteAll(int descriptor, const std::vector<uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = write(descriptor, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

// An existing file without any write bit, or one this user may not write.
bool IsReadOnly(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return (info.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

// The new file gets the old file's permissions, or the usual ones of a new file.
mode_t ModeFor(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string ReplaceWholeFile(const std::string& given, const std::vector<uint8_t>& bytes) {
  // A symbolic link stays a link: its target is replaced.
  std::string path = given;
  char resolved[PATH_MAX];
  struct stat link;
  if (lstat(given.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && realpath(given.c_str(), resolved)) {
    path = resolved;
  }
  // rename() would replace a file that may not be written (the server's
  // read-only attribute shows as no write bit), and root may write anything:
  // such a file is left as it is, as MoveFileExA leaves it on Windows.
  if (IsReadOnly(path)) return "nie można zastąpić pliku: plik jest tylko do odczytu";
  std::string temporary = path + ".kalwcfg-XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) {
    return "nie można utworzyć pliku tymczasowego w folderze " + FolderOf(path) + ": " + ReasonOfError(errno);
  }
  bool done = fchmod(descriptor, ModeFor(path)) == 0 && WriteAll(descriptor, bytes) && fsync(descriptor) == 0;
  int error = errno;
  if (close(descriptor) != 0 && done) {
    done = false;
    error = errno;
  }
  if (!done) {
    unlink(temporary.c_str());
    return "błąd zapisu pliku tymczasowego " + temporary + ": " + ReasonOfError(error ? error : EIO);
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    unlink(temporary.c_str());
    return "nie można zastąpić pliku: " + ReasonOfError(error);
  }
  const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return {};
}

#endif

}  // namespace kw::tools
