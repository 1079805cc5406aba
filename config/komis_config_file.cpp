// komis.cfg (komis_cfg_format.h), read and written through the host's file
// services.
#include <cstdint>
#include <cstring>

#include "komis.h"
#include "mazovia.h"
#include "warnings.h"

namespace kw {

namespace {
constexpr int kOpenShare = 0x40;
constexpr int kOpenReserved = 0;
constexpr int kOpenAccess = -1;
constexpr int kConfigSize = kKomisCfgSize;

// The file's bytes before a write: at most the 202 that the flags are read from.
struct OldConfig {
  bool found = false;
  int size = 0;
  uint8_t bytes[kConfigSize] = {};
};

OldConfig ReadOldConfig() {
  OldConfig old;
  HostFile* file = HostOpenFile(kKomisCfgFile, "rb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) return old;
  const int read = HostReadFile(old.bytes, 1, kConfigSize, file);
  HostCloseFile(file);
  old.found = true;
  old.size = read < 0 ? 0 : read > kConfigSize ? kConfigSize : read;
  return old;
}

// Replaces the file's content by these bytes; false when that failed.
bool WriteWhole(const uint8_t* bytes, int size) {
  HostFile* file = HostOpenFile(kKomisCfgFile, "wb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) return false;
  const bool written = size == 0 || HostWriteFile(bytes, size, 1, file) == 1;
  HostCloseFile(file);
  return written;
}

}  // namespace

int CSprKomis::ReadConfig() {
  HostFile* file = HostOpenFile(kKomisCfgFile, "rb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) {
    WarnAndLog(MZ("Nie można otworzyć pliku konfiguracynego do odczytu!\nOperacja niekompletna!"));
    return 0;
  }
  if (HostReadFile(warehouseFlags, 1, kConfigSize, file) != kConfigSize) {
    WarnAndLog(MZ("Błąd podczas czytania konfiguracji!\nOperacja niekompletna!"));
    std::memset(warehouseFlags, 0, sizeof warehouseFlags);
    HostCloseFile(file);
    return 0;
  }
  HostCloseFile(file);
  return 1;
}

int CSprKomis::WriteConfig() {
  // The open for writing empties the file: what it held is kept until the new
  // flags are written, so that a failed write can put it back.
  const OldConfig old = ReadOldConfig();
  HostFile* file = HostOpenFile(kKomisCfgFile, "wb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) {
    WarnAndLog(MZ("Nie można otworzyć pliku konfiguracji do zapisu!"));
    return 0;
  }
  const int written = HostWriteFile(warehouseFlags, kConfigSize, 1, file);
  HostCloseFile(file);
  if (written == 1) return 1;
  // Without an earlier file the flags read afterwards are all zero, as before;
  // the file is left empty rather than cut.
  const bool restored = WriteWhole(old.bytes, old.found ? old.size : 0);
  if (!old.found) {
    WarnAndLog(MZ("Błąd zapisu konfiguracji!\nNie było wcześniejszej konfiguracji do zachowania."));
  } else if (restored) {
    WarnAndLog(MZ("Błąd zapisu konfiguracji!\nPoprzednia konfiguracja została zachowana."));
  } else {
    WarnAndLog(MZ("Błąd zapisu konfiguracji!\nNie udało się przywrócić poprzedniej konfiguracji!"));
  }
  return 0;
}

}  // namespace kw
