// komis.cfg (komis_cfg_format.h), read and written through the host's file
// services.
#include <cstdint>
#include <cstring>

#include "journal.h"
#include "komis.h"
#include "mazovia.h"
#include "record_fields.h"
#include "warehouse_list.h"
#include "warnings.h"

namespace kw {

namespace {
constexpr int kOpenShare = 0x40;
constexpr int kOpenReserved = 0;
constexpr int kOpenAccess = -1;
constexpr int kConfigSize = kKomisCfgSize;
static_assert(kKomisCfgSize == kWarehouseFlagsBytes, "the trace writes the flags the host edits whole");

// What komis.cfg holds as the module reads it: its first 202 bytes at most.
struct ConfigOnDisk {
  bool found = false;  // the host opened it for reading
  int size = 0;        // the bytes the host read, 0..202
  uint8_t bytes[kConfigSize] = {};

  // All 202 bytes were read: this is a configuration that can be put back.
  bool Whole() const { return found && size == kConfigSize; }
};

// Reads the first 202 bytes of komis.cfg into `into`: what the host's read
// answers (0 for less), or -1 when the host would not open the file.
int ReadFileInto(uint8_t* into) {
  HostFile* file = HostOpenFile(kKomisCfgFile, "rb", kOpenShare, kOpenReserved, kOpenAccess);
  if (!file) return -1;
  const int read = HostReadFile(into, 1, kConfigSize, file);
  HostCloseFile(file);
  return read < 0 ? 0 : read;
}

ConfigOnDisk ReadOnDisk() {
  ConfigOnDisk disk;
  const int read = ReadFileInto(disk.bytes);
  disk.found = read >= 0;
  disk.size = read < 0 ? 0 : read > kConfigSize ? kConfigSize : read;
  return disk;
}

// What reading the file back after a write shows.
enum class ReadBack {
  Holds,      // the bytes meant, all of them
  Differs,    // bytes were read, and they are not those meant (or fewer)
  Unchecked,  // the host would not open the file, or read nothing: unknown
};

// Reads komis.cfg back into a buffer filled beforehand with the complement
// of the bytes meant, so that what the host put there tells what it read,
// whatever its read answers (a short file leaves the end untouched, but the
// bytes it has differ somewhere unless they are the start of those meant,
// which a read of all 202 then shows). A file the host would not open, or
// from which nothing reached the buffer, is not known to differ: a virus scanner or a
// file server may hold a file just written, and an empty file reads the
// same as a read refused.
ReadBack ReadBackAgainst(const uint8_t* meant) {
  uint8_t seen[kConfigSize];
  for (int i = 0; i < kConfigSize; ++i) seen[i] = static_cast<uint8_t>(~meant[i]);
  // What the read answers is not promised to mean anything.
  if (ReadFileInto(seen) < 0) return ReadBack::Unchecked;
  bool same = true, touched = false;
  for (int i = 0; i < kConfigSize; ++i) {  // no memcmp: the DLL imports nothing for this
    if (seen[i] != meant[i]) same = false;
    if (seen[i] != static_cast<uint8_t>(~meant[i])) touched = true;
  }
  if (same) return ReadBack::Holds;
  return touched ? ReadBack::Differs : ReadBack::Unchecked;
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

// The flags of the save in progress, or null. The host may run the module's
// handlers from inside the save's own host calls: a document accepted there
// is judged by the choice being saved, not by a file half written, and the
// configuration command does not start a second save over the first.
const WarehouseFlag* flagsBeingSaved = nullptr;
uint32_t savesStarted = 0;

class SaveInProgress {
 public:
  explicit SaveInProgress(const WarehouseFlag* flags) : outer_(flagsBeingSaved) {
    flagsBeingSaved = flags;
    ++savesStarted;
  }
  ~SaveInProgress() { flagsBeingSaved = outer_; }
  SaveInProgress(const SaveInProgress&) = delete;
  SaveInProgress& operator=(const SaveInProgress&) = delete;

 private:
  const WarehouseFlag* outer_;
};

// What the module knows of the choice a save replaces: komis.cfg read just
// before the save, and the choice the command's dialog opened with (null
// when that read failed).
struct Replaced {
  ConfigOnDisk disk;
  const WarehouseFlag* openedWith;

  // The flags replaced: the file's when it was read whole, else those the
  // dialog opened with; null when the module knows neither.
  const WarehouseFlag* Known() const {
    return disk.Whole() ? reinterpret_cast<const WarehouseFlag*>(disk.bytes) : openedWith;
  }
};

// A save in the journal, after its work and its warning (none: it went
// through): the warehouses marked before it, "nieznane" when the module does
// not know them, and those chosen.
void JournalSave(const Replaced& old, const uint8_t* meant, const char* warning) {
  WarehouseFlag oldFlags[kWarehouseCount], chosen[kWarehouseCount];
  char before[kWarehouseListSize] = "nieznane", after[kWarehouseListSize];
  if (const WarehouseFlag* known = old.Known()) {
    std::memcpy(oldFlags, known, sizeof oldFlags);
    WarehouseListText(oldFlags, before);
  }
  std::memcpy(chosen, meant, sizeof chosen);
  WarehouseListText(chosen, after);
  JournalFields save;
  save.description = warning;
  save.before = before;
  save.after = after;
  AppendJournal(warning ? JournalEvent::ChoiceNotSaved : JournalEvent::ChoiceSaved, save);
}

// Shows a save's warning and writes it in the journal.
void SaveFailed(const Replaced& old, const uint8_t* meant, const char* warning) {
  WarnAndLog(warning);
  JournalSave(old, meant, warning);
}

// A failed save: the old configuration goes back when all of it was read
// before the save; the warning says what the file holds then.
void UndoFailedSave(const Replaced& old, const uint8_t* meant) {
  if (old.disk.Whole()) {
    // While they go back, a document accepted inside is judged by them.
    const SaveInProgress restoring(reinterpret_cast<const WarehouseFlag*>(old.disk.bytes));
    const bool reopened = WriteOver(old.disk.bytes, kConfigSize);
    const ReadBack back = reopened ? ReadBackAgainst(old.disk.bytes) : ReadBack::Differs;
    SaveFailed(old, meant,
               back == ReadBack::Holds ? MZ("Błąd zapisu konfiguracji!\nPoprzednia konfiguracja została zachowana.")
               : back == ReadBack::Differs
                   ? MZ("Błąd zapisu konfiguracji!\nNie udało się przywrócić poprzedniej konfiguracji!")
                   : MZ("Błąd zapisu konfiguracji!\nPoprzednią konfigurację zapisano ponownie, "
                        "ale nie można tego sprawdzić."));
    return;
  }
  // No whole configuration to put back: the file is emptied, so that no part
  // of the failed write is read as flags. A file that opened, or a choice the
  // dialog opened with, was a configuration; an open refused twice does not
  // tell that there was none.
  WriteOver(old.disk.bytes, 0);
  SaveFailed(old, meant,
             old.disk.found || old.openedWith
                 ? MZ("Błąd zapisu konfiguracji!\nPoprzedniej konfiguracji nie udało się odczytać, nie została zachowana!")
                 : MZ("Błąd zapisu konfiguracji!\nNie można odczytać wcześniejszej konfiguracji: jeśli była, "
                      "nie została zachowana!"));
}

}  // namespace

bool KomisCfgBeingSaved() { return flagsBeingSaved != nullptr; }
uint32_t KomisCfgSavesStarted() { return savesStarted; }

int CSprKomis::ReadConfig() {
  if (flagsBeingSaved) {
    if (flagsBeingSaved != warehouseFlags) std::memcpy(warehouseFlags, flagsBeingSaved, sizeof warehouseFlags);
    return 1;
  }
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

int CSprKomis::WriteConfig(const WarehouseFlag* openedWith) {
  const SaveInProgress saving(warehouseFlags);
  // The open for writing empties the file: what it held is kept until the new
  // flags are on the disk, so that a failed save can put it back.
  const Replaced old{ReadOnDisk(), openedWith};
  const uint8_t* const meant = reinterpret_cast<const uint8_t*>(warehouseFlags);
  if (!WriteOver(meant, kConfigSize)) {
    SaveFailed(old, meant, MZ("Nie można otworzyć pliku konfiguracji do zapisu!"));
    return 0;
  }
  // The save is judged by what the file holds afterwards. A file that could
  // not be read back may hold the new flags: only they are written again,
  // once, and nothing else is written over them.
  ReadBack back = ReadBackAgainst(meant);
  if (back == ReadBack::Unchecked && WriteOver(meant, kConfigSize)) back = ReadBackAgainst(meant);
  switch (back) {
    case ReadBack::Holds:
      JournalSave(old, meant, nullptr);
      return 1;
    case ReadBack::Unchecked:
      SaveFailed(old, meant,
                 MZ("Nie można sprawdzić zapisu konfiguracji!\n"
                    "Plik mógł nie zostać zapisany: otwórz konfigurację ponownie, aby zobaczyć, co zawiera."));
      return 0;
    case ReadBack::Differs:
      break;
  }
  UndoFailedSave(old, meant);
  return 0;
}

}  // namespace kw
