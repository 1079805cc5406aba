#include "pe_image_builder.h"

#include <cstring>

namespace kw::tools::test {

void Put16(std::vector<uint8_t>& image, uint32_t offset, uint16_t value) {
  image.at(offset) = static_cast<uint8_t>(value);
  image.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& image, uint32_t offset, uint32_t value) {
  Put16(image, offset, static_cast<uint16_t>(value));
  Put16(image, offset + 2, static_cast<uint16_t>(value >> 16));
}

// The DOS stub's pointer, the PE signature, the file and optional headers and
// the one section's entry, for an export section of `exportSize` bytes.
void PutHeaders(std::vector<uint8_t>& image, const PeImagePlan& plan, uint32_t exportSize, uint32_t functionRva) {
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, kPeHeaderOffset);
  std::memcpy(&image[kPeHeaderOffset], "PE\0\0", 4);
  Put16(image, kFileHeaderOffset, plan.machine);
  Put16(image, kFileHeaderOffset + 2, 1);    // sections
  Put16(image, kFileHeaderOffset + 16, 224);  // optional header size
  Put16(image, kFileHeaderOffset + 18, plan.characteristics);
  Put16(image, kOptionalHeaderOffset, plan.magic);
  Put32(image, kOptionalHeaderOffset + 56, functionRva + 0x1000);  // image size
  Put32(image, kOptionalHeaderOffset + 60, 0x200);   // headers size
  Put32(image, kOptionalHeaderOffset + 92, 16);      // data directories
  Put32(image, kOptionalHeaderOffset + 96, kSectionRva);
  Put32(image, kOptionalHeaderOffset + 100, exportSize);
  std::memcpy(&image[kSectionTableOffset], ".edata\0\0", 8);
  Put32(image, kSectionTableOffset + 8, exportSize);   // virtual size
  Put32(image, kSectionTableOffset + 12, kSectionRva);
  Put32(image, kSectionTableOffset + 16, exportSize);  // raw size
  Put32(image, kSectionTableOffset + 20, kSectionFileOffset);
}

std::vector<uint8_t> BuildPeImage(const PeImagePlan& plan) {
  // Section contents, addressed by RVA - kSectionRva.
  std::vector<uint8_t> section(0x40 + 4 * plan.ordinalCount);
  const auto text = [&section](const std::string& value) {
    const auto rva = static_cast<uint32_t>(kSectionRva + section.size());
    section.insert(section.end(), value.begin(), value.end());
    section.push_back(0);
    return rva;
  };
  const uint32_t nameRva = text("TEST.dll");
  std::map<uint32_t, uint32_t> forwarderRvas;
  for (const auto& [ordinal, target] : plan.forwarded) forwarderRvas[ordinal] = text(target);
  while (section.size() % 0x200) section.push_back(0);
  const auto exportSize = static_cast<uint32_t>(section.size());
  const uint32_t functionRva = kSectionRva + exportSize + 0x100;

  std::vector<uint8_t> image(kSectionFileOffset + section.size());
  PutHeaders(image, plan, exportSize, functionRva);
  std::memcpy(&image[kSectionFileOffset], section.data(), section.size());
  const uint32_t directory = kExportDirectoryOffset;
  Put32(image, directory + 12, nameRva);
  Put32(image, directory + 16, plan.ordinalBase);
  Put32(image, directory + 20, plan.ordinalCount);
  Put32(image, directory + 28, kAddressTableRva);
  const uint32_t table = kSectionFileOffset + (kAddressTableRva - kSectionRva);
  for (const uint32_t ordinal : plan.exported) Put32(image, table + 4 * (ordinal - plan.ordinalBase), functionRva);
  for (const auto& [ordinal, rva] : forwarderRvas) Put32(image, table + 4 * (ordinal - plan.ordinalBase), rva);
  return image;
}

}  // namespace kw::tools::test
