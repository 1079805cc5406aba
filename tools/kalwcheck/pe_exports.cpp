#include "pe_exports.h"

#include <cstdio>

namespace kw::tools {

namespace {

constexpr uint16_t kDosMagic = 0x5A4D;            // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;     // "PE\0\0"
constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kFileExecutableImage = 0x0002;
constexpr uint16_t kFileDll = 0x2000;
constexpr uint16_t kPe32Magic = 0x010B;
constexpr uint16_t kPe32PlusMagic = 0x020B;
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kExportDirectoryOffset = 96;   // in the PE32 optional header
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kMaxSections = 96;             // the system loader's own limit
constexpr uint32_t kExportDirectorySize = 40;
constexpr uint32_t kMaxFunctions = 0x10000;       // ordinals are 16-bit
constexpr uint32_t kMaxNameLength = 512;

struct Section {
  uint32_t virtualAddress;
  uint32_t mappedSize;  // the bytes the file gives the section
  uint32_t fileOffset;
};

// Bounds-checked little-endian reads from the file.
class Bytes {
 public:
  explicit Bytes(std::span<const uint8_t> file) : file_(file) {}
  bool Has(uint64_t offset, uint64_t length) const { return offset <= file_.size() && length <= file_.size() - offset; }
  uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>(file_[offset] | file_[offset + 1] << 8); }
  uint32_t U32(uint64_t offset) const {
    return static_cast<uint32_t>(file_[offset]) | static_cast<uint32_t>(file_[offset + 1]) << 8 |
           static_cast<uint32_t>(file_[offset + 2]) << 16 | static_cast<uint32_t>(file_[offset + 3]) << 24;
  }
  uint8_t At(uint64_t offset) const { return file_[offset]; }
  uint64_t Size() const { return file_.size(); }

 private:
  std::span<const uint8_t> file_;
};

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> file) : bytes_(file) {}

  PeExports Read() {
    PeExports result;
    if (!ReadHeaders() || !ReadSections() || !ReadExports(result)) {
      result = PeExports{};
      result.problem = problem_;
      return result;
    }
    result.valid = true;
    return result;
  }

 private:
  bool Fail(const std::string& problem) {
    problem_ = problem;
    return false;
  }

  bool ReadHeaders() {
    if (!bytes_.Has(0, 64) || bytes_.U16(0) != kDosMagic) return Fail("to nie jest plik programu Windows (brak nagłówka MZ)");
    const uint64_t pe = bytes_.U32(0x3C);
    if (!bytes_.Has(pe, 4 + kFileHeaderSize)) return Fail("plik jest ucięty: nagłówek PE wychodzi poza plik");
    if (bytes_.U32(pe) != kPeSignature) return Fail("to nie jest plik PE (brak podpisu PE)");
    const uint64_t header = pe + 4;
    const uint16_t machine = bytes_.U16(header);
    if (machine == kMachineAmd64) return Fail("to biblioteka 64-bitowa (x64), a moduł jest 32-bitowy");
    if (machine != kMachineI386) {
      char text[96];
      std::snprintf(text, sizeof text, "to nie jest biblioteka dla procesorów i386 (typ maszyny 0x%04X)", machine);
      return Fail(text);
    }
    sectionCount_ = bytes_.U16(header + 2);
    const uint16_t optionalSize = bytes_.U16(header + 16);
    const uint16_t characteristics = bytes_.U16(header + 18);
    if (!(characteristics & kFileExecutableImage)) return Fail("to nie jest gotowy obraz programu (plik obiektowy?)");
    if (!(characteristics & kFileDll)) return Fail("to program, a nie biblioteka DLL");
    optional_ = header + kFileHeaderSize;
    if (!bytes_.Has(optional_, optionalSize) || optionalSize < 2) {
      return Fail("plik jest ucięty: nagłówek opcjonalny wychodzi poza plik");
    }
    const uint16_t magic = bytes_.U16(optional_);
    if (magic == kPe32PlusMagic) return Fail("to biblioteka PE32+ (64-bitowa), a moduł jest 32-bitowy");
    if (magic != kPe32Magic) return Fail("nieznany rodzaj nagłówka opcjonalnego");
    if (optionalSize < kExportDirectoryOffset + 8 || bytes_.U32(optional_ + 92) < 1) {
      return Fail("nagłówek nie ma katalogu eksportów");
    }
    imageSize_ = bytes_.U32(optional_ + 56);
    exportRva_ = bytes_.U32(optional_ + kExportDirectoryOffset);
    exportSize_ = bytes_.U32(optional_ + kExportDirectoryOffset + 4);
    sectionTable_ = optional_ + optionalSize;
    return true;
  }

  bool ReadSections() {
    if (sectionCount_ == 0 || sectionCount_ > kMaxSections) return Fail("nieprawidłowa liczba sekcji");
    if (!bytes_.Has(sectionTable_, uint64_t{sectionCount_} * kSectionHeaderSize)) {
      return Fail("plik jest ucięty: tabela sekcji wychodzi poza plik");
    }
    for (uint32_t i = 0; i < sectionCount_; ++i) {
      const uint64_t at = sectionTable_ + uint64_t{i} * kSectionHeaderSize;
      const uint32_t virtualSize = bytes_.U32(at + 8);
      const uint32_t rawSize = bytes_.U32(at + 16);
      Section section{bytes_.U32(at + 12), rawSize, bytes_.U32(at + 20)};
      if (!bytes_.Has(section.fileOffset, rawSize)) {
        return Fail("plik jest ucięty: sekcja " + std::to_string(i + 1) + " wychodzi poza plik");
      }
      if (virtualSize != 0 && virtualSize < rawSize) section.mappedSize = virtualSize;
      sections_.push_back(section);
    }
    return true;
  }

  // The file offset of `length` bytes at `rva`, all inside one section and the file.
  bool Locate(uint32_t rva, uint64_t length, uint64_t& offset) const {
    for (const Section& section : sections_) {
      if (rva < section.virtualAddress) continue;
      const uint64_t into = rva - section.virtualAddress;
      if (into > section.mappedSize || length > section.mappedSize - into) continue;
      offset = section.fileOffset + into;
      return bytes_.Has(offset, length);
    }
    return false;
  }

  // A zero-terminated text at `rva`, inside one section and the file.
  bool Text(uint32_t rva, std::string& text) const {
    uint64_t offset;
    if (!Locate(rva, 1, offset)) return false;
    text.clear();
    for (uint32_t i = 0; i < kMaxNameLength; ++i) {
      if (!Locate(rva + i, 1, offset)) return false;
      const char c = static_cast<char>(bytes_.At(offset));
      if (c == '\0') return true;
      text += c;
    }
    return false;
  }

  bool ReadExports(PeExports& result) {
    if (exportRva_ == 0 || exportSize_ == 0) return Fail("biblioteka nie ma tabeli eksportów");
    uint64_t directory;
    if (!Locate(exportRva_, kExportDirectorySize, directory)) {
      return Fail("katalog eksportów wychodzi poza sekcje pliku (plik ucięty lub uszkodzony)");
    }
    const uint32_t nameRva = bytes_.U32(directory + 12);
    result.ordinalBase = bytes_.U32(directory + 16);
    const uint32_t functionCount = bytes_.U32(directory + 20);
    const uint32_t functionsRva = bytes_.U32(directory + 28);
    if (nameRva != 0 && !Text(nameRva, result.libraryName)) {
      return Fail("nazwa biblioteki w tabeli eksportów wychodzi poza plik");
    }
    if (functionCount > kMaxFunctions) return Fail("tabela eksportów ma nieprawidłową liczbę wpisów");
    if (result.ordinalBase > 0xFFFF) return Fail("tabela eksportów ma nieprawidłową podstawę numerów");
    uint64_t functions = 0;
    if (functionCount != 0 && !Locate(functionsRva, uint64_t{functionCount} * 4, functions)) {
      return Fail("tablica adresów eksportów wychodzi poza plik");
    }
    result.entries.resize(functionCount);
    for (uint32_t i = 0; i < functionCount; ++i) {
      const uint32_t rva = bytes_.U32(functions + uint64_t{i} * 4);
      if (rva == 0) continue;
      ExportedOrdinal& entry = result.entries[i];
      if (rva >= exportRva_ && rva - exportRva_ < exportSize_) {
        if (!Text(rva, entry.forwardedTo) || entry.forwardedTo.empty()) {
          return Fail("wpis " + std::to_string(result.ordinalBase + i) + " ma uszkodzone przekierowanie");
        }
      } else if (rva >= imageSize_) {
        return Fail("wpis " + std::to_string(result.ordinalBase + i) + " wskazuje poza obraz biblioteki");
      }
      entry.present = true;
    }
    return true;
  }

  Bytes bytes_;
  std::string problem_;
  uint64_t optional_ = 0;
  uint64_t sectionTable_ = 0;
  uint32_t sectionCount_ = 0;
  uint32_t imageSize_ = 0;
  uint32_t exportRva_ = 0;
  uint32_t exportSize_ = 0;
  std::vector<Section> sections_;
};

}  // namespace

ExportedOrdinal PeExports::Find(uint32_t ordinal) const {
  if (ordinal < ordinalBase || ordinal - ordinalBase >= entries.size()) return {};
  return entries[ordinal - ordinalBase];
}

int PeExports::PresentCount() const {
  int count = 0;
  for (const ExportedOrdinal& entry : entries) count += entry.present;
  return count;
}

PeExports ReadPeExports(std::span<const uint8_t> file) { return Reader(file).Read(); }

}  // namespace kw::tools
