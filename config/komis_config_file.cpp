// komis.cfg (komis_cfg_format.h), read and written through the host's file
// services.
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
  HostFile* file = HostOpenFile(kKomisCfgFile, "wb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) {
    WarnAndLog(MZ("Nie można otworzyć pliku konfiguracji do zapisu!"));
    return 0;
  }
  // The open has emptied the file: a failed write would lose the user's choice
  // without a word.
  const int written = HostWriteFile(warehouseFlags, kConfigSize, 1, file);
  HostCloseFile(file);
  if (written != 1) {
    WarnAndLog(MZ("Błąd zapisu konfiguracji!\nOperacja niekompletna!"));
    return 0;
  }
  return 1;
}

}  // namespace kw
