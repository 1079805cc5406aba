// The export-table reader on built images, hostile fields and the simulated
// host's TALMER.dll.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "host_interface_golden.h"
#include "pe_exports.h"
#include "pe_image_builder.h"

namespace kw::tools::test {
namespace {

std::vector<uint8_t> ReadFileBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

PeImagePlan ThreeOrdinals() {
  PeImagePlan plan;
  plan.ordinalBase = 100;
  plan.ordinalCount = 5;
  plan.exported = {100, 102, 104};
  return plan;
}

// The reader sees exactly the file's bytes: an exact-size copy on the heap, so
// that the address sanitizer catches a read past the end.
PeExports Read(const std::vector<uint8_t>& image) {
  std::vector<uint8_t> exact(image.begin(), image.end());
  exact.shrink_to_fit();
  return ReadPeExports(exact);
}

TEST(PeExports, FindsExportedOrdinalsAndNothingElse) {
  const PeExports exports = Read(BuildPeImage(ThreeOrdinals()));
  ASSERT_TRUE(exports.valid) << exports.problem;
  EXPECT_EQ(exports.libraryName, "TEST.dll");
  EXPECT_EQ(exports.PresentCount(), 3);
  EXPECT_TRUE(exports.Find(100).present);
  EXPECT_FALSE(exports.Find(101).present);  // address 0: left out
  EXPECT_TRUE(exports.Find(104).present);
  EXPECT_FALSE(exports.Find(99).present);   // below the ordinal base
  EXPECT_FALSE(exports.Find(105).present);  // past the table
  EXPECT_FALSE(exports.Find(0).present);
  EXPECT_FALSE(exports.Find(0xFFFFFFFF).present);
}

TEST(PeExports, ForwardedEntryIsPresentWithItsTarget) {
  PeImagePlan plan = ThreeOrdinals();
  plan.forwarded[101] = "KERNEL32.GetTickCount";
  const PeExports exports = Read(BuildPeImage(plan));
  ASSERT_TRUE(exports.valid) << exports.problem;
  EXPECT_TRUE(exports.Find(101).present);
  EXPECT_EQ(exports.Find(101).forwardedTo, "KERNEL32.GetTickCount");
  EXPECT_EQ(exports.Find(100).forwardedTo, "");
}

TEST(PeExports, RefusesWhatIsNotA32BitLibrary) {
  struct Case {
    const char* what;
    void (*change)(PeImagePlan&);
    const char* problem;
  };
  const Case cases[] = {
      {"x64", [](PeImagePlan& s) { s.machine = 0x8664; }, "64-bitowa (x64)"},
      {"ARM", [](PeImagePlan& s) { s.machine = 0x01C0; }, "typ maszyny 0x01C0"},
      {"program", [](PeImagePlan& s) { s.characteristics = 0x0102; }, "to program, a nie biblioteka DLL"},
      {"object", [](PeImagePlan& s) { s.characteristics = 0x2100; }, "plik obiektowy"},
      {"PE32+", [](PeImagePlan& s) { s.magic = 0x020B; }, "PE32+"},
  };
  for (const Case& c : cases) {
    PeImagePlan plan = ThreeOrdinals();
    c.change(plan);
    const PeExports exports = Read(BuildPeImage(plan));
    EXPECT_FALSE(exports.valid) << c.what;
    EXPECT_NE(exports.problem.find(c.problem), std::string::npos) << c.what << ": " << exports.problem;
  }
  const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(Read(text).problem, "to nie jest plik programu Windows (brak nagłówka MZ)");
  EXPECT_FALSE(Read({}).valid);
}

TEST(PeExports, HostileFieldsGiveAProblemNotARead) {
  struct Case {
    const char* what;
    uint32_t offset;
    uint32_t value;
    bool wide;  // 32-bit field, else 16-bit
    const char* problem;
  };
  const uint32_t directory = kExportDirectoryOffset;
  const Case cases[] = {
      {"PE header far away", 0x3C, 0xFFFFFFF0, true, "nagłówek PE wychodzi poza plik"},
      {"PE header at the end", 0x3C, 0x3F0, true, "nagłówek PE wychodzi poza plik"},
      {"65535 sections", kFileHeaderOffset + 2, 0xFFFF, false, "liczba sekcji"},
      {"no sections", kFileHeaderOffset + 2, 0, false, "liczba sekcji"},
      {"90 sections past the file", kFileHeaderOffset + 2, 90, false, "tabela sekcji wychodzi poza plik"},
      {"huge optional header", kFileHeaderOffset + 16, 0xFFFF, false, "nagłówek opcjonalny wychodzi poza plik"},
      {"optional header without directories", kFileHeaderOffset + 16, 96, false, "katalogu eksportów"},
      {"no data directories", kOptionalHeaderOffset + 92, 0, true, "katalogu eksportów"},
      {"no export table", kOptionalHeaderOffset + 96, 0, true, "nie ma tabeli eksportów"},
      {"export table outside sections", kOptionalHeaderOffset + 96, 0x7000, true, "poza sekcje"},
      {"export table across the section end", kOptionalHeaderOffset + 96, kSectionRva + 0x1F0, true, "poza sekcje"},
      {"section data past the file", kSectionTableOffset + 20, 0x10000, true, "sekcja 1 wychodzi poza plik"},
      {"raw size past the file", kSectionTableOffset + 16, 0x100000, true, "sekcja 1 wychodzi poza plik"},
      {"address table longer than the section", directory + 20, 0x1000, true, "tablica adresów"},
      {"4 billion functions", directory + 20, 0xFFFFFFFF, true, "liczbę wpisów"},
      {"65537 functions", directory + 20, 0x10001, true, "liczbę wpisów"},
      {"address table past the section", directory + 28, kSectionRva + 0x1FC, true, "tablica adresów"},
      {"address table wraps", directory + 28, 0xFFFFFFFC, true, "tablica adresów"},
      {"name outside", directory + 12, 0x5000, true, "nazwa biblioteki"},
      {"ordinal base past 16 bits", directory + 16, 0x10000, true, "podstawę numerów"},
      {"function past the image", kSectionFileOffset + 0x40, 0x9000, true, "wpis 100 wskazuje poza obraz"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> image = BuildPeImage(ThreeOrdinals());
    if (c.wide) {
      Put32(image, c.offset, c.value);
    } else {
      Put16(image, c.offset, static_cast<uint16_t>(c.value));
    }
    const PeExports exports = Read(image);
    EXPECT_FALSE(exports.valid) << c.what;
    EXPECT_NE(exports.problem.find(c.problem), std::string::npos) << c.what << ": " << exports.problem;
  }
}

TEST(PeExports, UnterminatedForwarderAtTheSectionEndIsAProblem) {
  PeImagePlan plan = ThreeOrdinals();
  plan.forwarded[101] = "KERNEL32.GetTickCount";
  std::vector<uint8_t> image = BuildPeImage(plan);
  // Fill the rest of the section with letters and point the forwarder at its
  // last bytes: no terminating zero inside the file.
  for (std::size_t i = kSectionFileOffset + 0x80; i < image.size(); ++i) image[i] = 'A';
  Put32(image, kSectionFileOffset + 0x40 + 4, kSectionRva + static_cast<uint32_t>(image.size() - kSectionFileOffset) - 3);
  const PeExports exports = Read(image);
  EXPECT_FALSE(exports.valid);
  EXPECT_EQ(exports.problem, "wpis 101 ma uszkodzone przekierowanie");
}

TEST(PeExports, EveryTruncationOfABuiltImageIsRefused) {
  const std::vector<uint8_t> image = BuildPeImage(ThreeOrdinals());
  for (std::size_t length = 0; length < image.size(); ++length) {
    const std::vector<uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(Read(cut).valid) << length;
  }
}

TEST(PeExports, SimulatedHostLibrary) {
  const std::vector<uint8_t> talmer = ReadFileBytes(KW_TALMER_DLL);
  ASSERT_FALSE(talmer.empty()) << "build the MinGW build first: " << KW_TALMER_DLL;
  const PeExports exports = Read(talmer);
  ASSERT_TRUE(exports.valid) << exports.problem;
  EXPECT_EQ(exports.libraryName, "TALMER.dll");
  for (const uint32_t ordinal : {20968u, 20978u, 30006u, 30007u, 30018u, 52582u, 20902u, 40070u}) {
    EXPECT_TRUE(exports.Find(ordinal).present) << ordinal;
  }
  for (const uint32_t ordinal : {20901u, 30001u, 30002u, 52583u}) EXPECT_FALSE(exports.Find(ordinal).present) << ordinal;
  // The host's functions, data items and entries, and 3 named control functions.
  EXPECT_EQ(exports.PresentCount(), static_cast<int>(kwtest::golden::kHostOrdinalCount) + 3);
}

}  // namespace
}  // namespace kw::tools::test
