// Builds small PE images byte by byte for the tests of the export-table reader:
// one section at RVA 0x1000 (file offset 0x200) that holds the export
// directory, the library's name, the address table and the forwarder texts.
// Exported functions point past the section, inside the image.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kw::tools::test {

inline constexpr uint32_t kPeHeaderOffset = 0x40;
inline constexpr uint32_t kFileHeaderOffset = kPeHeaderOffset + 4;
inline constexpr uint32_t kOptionalHeaderOffset = kFileHeaderOffset + 20;
inline constexpr uint32_t kSectionTableOffset = kOptionalHeaderOffset + 224;
inline constexpr uint32_t kSectionFileOffset = 0x200;
inline constexpr uint32_t kSectionRva = 0x1000;
inline constexpr uint32_t kExportDirectoryOffset = kSectionFileOffset;  // the directory opens the section
inline constexpr uint32_t kAddressTableRva = kSectionRva + 0x40;

struct PeImagePlan {
  uint16_t machine = 0x014C;
  uint16_t characteristics = 0x2102;  // executable image, 32-bit machine, DLL
  uint16_t magic = 0x010B;
  uint32_t ordinalBase = 1;
  uint32_t ordinalCount = 0;         // entries of the address table
  std::vector<uint32_t> exported;    // ordinals with an address
  std::map<uint32_t, std::string> forwarded;  // ordinal -> "LIBRARY.Name"
};

std::vector<uint8_t> BuildPeImage(const PeImagePlan& plan);

// Little-endian stores into an image.
void Put16(std::vector<uint8_t>& image, uint32_t offset, uint16_t value);
void Put32(std::vector<uint8_t>& image, uint32_t offset, uint32_t value);

}  // namespace kw::tools::test
