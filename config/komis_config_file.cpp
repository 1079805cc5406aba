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

// What komis.cfg holds as the module reads it: its first 202 bytes at most.
struct ConfigOnDisk {
  bool found = false;  // the host opened it for reading
  int size = 0;        // the bytes the host read, 0..202
  uint8_t bytes[kConfigSize] = {};

  // All 202 bytes were read: this is a configuration that can be put back.
  bool Whole() const { return found && size == kConfigSize; }
  bool Holds(const uint8_t* meant) const {
    if (!Whole()) return false;
    for (int i = 0; i < kConfigSize; ++i) {
      if (bytes[i] != meant[i]) return false;  // no memcmp: the DLL imports nothing for this
    }
    return true;
  }
};

ConfigOnDisk ReadOnDisk() {
  ConfigOnDisk disk;
  HostFile* file = HostOpenFile(kKomisCfgFile, "rb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) return disk;
  const int read = HostReadFile(disk.bytes, 1, kConfigSize, file);
  HostCloseFile(file);
  disk.found = true;
  disk.size = read < 0 ? 0 : read > kConfigSize ? kConfigSize : read;
  return disk;
}

// Replaces the file's content by `size` bytes (none: the file is emptied).
// What the host answers to the write and the close is not promised to mean
// anything (a host that buffers learns of a full disk only at the close): the
// caller reads the file back instead.
bool WriteOver(const uint8_t* bytes, int size) {
  HostFile* file = HostOpenFile(kKomisCfgFile, "wb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) return false;
  if (size > 0) HostWriteFile(bytes, size, 1, file);
  HostCloseFile(file);
  return true;
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
  // flags are on the disk, so that a failed save can put it back.
  const ConfigOnDisk old = ReadOnDisk();
  const uint8_t* const meant = reinterpret_cast<const uint8_t*>(warehouseFlags);
  if (!WriteOver(meant, kConfigSize)) {
    WarnAndLog(MZ("Nie można otworzyć pliku konfiguracji do zapisu!"));
    return 0;
  }
  // The save is judged by what the file holds afterwards.
  if (ReadOnDisk().Holds(meant)) return 1;
  if (old.Whole()) {
    const bool kept = WriteOver(old.bytes, kConfigSize) && ReadOnDisk().Holds(old.bytes);
    WarnAndLog(kept ? MZ("Błąd zapisu konfiguracji!\nPoprzednia konfiguracja została zachowana.")
                    : MZ("Błąd zapisu konfiguracji!\nNie udało się przywrócić poprzedniej konfiguracji!"));
    return 0;
  }
  // No whole configuration to put back: the file is emptied, so that no part
  // of the failed write is read as flags.
  WriteOver(old.bytes, 0);
  WarnAndLog(old.found
                 ? MZ("Błąd zapisu konfiguracji!\nPoprzedniej konfiguracji nie udało się odczytać, nie została zachowana!")
                 : MZ("Błąd zapisu konfiguracji!\nNie było wcześniejszej konfiguracji do zachowania."));
  return 0;
}

}  // namespace kw
