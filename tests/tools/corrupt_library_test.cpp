// kalwcheck on thousands of truncated and randomly corrupted copies of the
// simulated host's TALMER.dll (seeded, so a failure repeats). The program is
// built with the address and undefined-behaviour sanitizers and each copy is
// an exact-size heap block: a read outside the file stops the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "binding_check.h"
#include "report.h"

namespace kw::tools::test {
namespace {

std::vector<uint8_t> Talmer() {
  std::ifstream file(KW_TALMER_DLL, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t U32(const std::vector<uint8_t>& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<uint32_t>(b.at(at + 3)) << 24;
}

// Where in the sound file the export table lies (where corruption matters
// beside the headers), and where the sections end (what follows, such as a
// symbol table, is not loaded).
struct Layout {
  std::size_t exportStart = 0;
  std::size_t exportSize = 0;
  std::size_t addressTable = 0;  // file offset of the export address table
  uint32_t ordinalBase = 0;
  std::size_t sectionsEnd = 0;
};

Layout LayoutOf(const std::vector<uint8_t>& file) {
  Layout layout;
  const std::size_t pe = U32(file, 0x3C);
  const std::size_t sections = file.at(pe + 6) | file.at(pe + 7) << 8;
  const std::size_t optional = pe + 24;
  const std::size_t table = optional + (file.at(pe + 20) | file.at(pe + 21) << 8);
  const uint32_t exportRva = U32(file, optional + 96);
  layout.exportSize = U32(file, optional + 100);
  for (std::size_t i = 0; i < sections; ++i) {
    const std::size_t at = table + 40 * i;
    const uint32_t rva = U32(file, at + 12), raw = U32(file, at + 16), offset = U32(file, at + 20);
    if (exportRva >= rva && exportRva < rva + raw) layout.exportStart = offset + (exportRva - rva);
    layout.sectionsEnd = std::max<std::size_t>(layout.sectionsEnd, offset + raw);
  }
  // The address table lies in the export table's section.
  layout.ordinalBase = U32(file, layout.exportStart + 16);
  layout.addressTable = layout.exportStart + (U32(file, layout.exportStart + 28) - exportRva);
  return layout;
}

// Runs the whole check and both reports on an exact-size copy.
CheckStatus CheckCopy(const std::vector<uint8_t>& bytes, std::size_t length) {
  const std::vector<uint8_t> copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
  const BindingCheck check = CheckBinding(ReadPeExports(copy));
  const int status = static_cast<int>(check.status);
  EXPECT_GE(status, 0);
  EXPECT_LE(status, 3);
  EXPECT_TRUE(check.verdict.starts_with("WYNIK " + std::to_string(status) + ":")) << check.verdict;
  EXPECT_FALSE(TextReport("x", check).empty());
  EXPECT_EQ(JsonReport("x", check).back(), '\n');
  return check.status;
}

TEST(CorruptLibrary, EveryTruncationOfTheSectionsIsNotAHostLibrary) {
  const std::vector<uint8_t> talmer = Talmer();
  ASSERT_FALSE(talmer.empty()) << "build the MinGW build first: " << KW_TALMER_DLL;
  ASSERT_EQ(CheckCopy(talmer, talmer.size()), CheckStatus::AllPresent);
  const auto start = std::chrono::steady_clock::now();
  int copies = 0;
  // Every length through the headers and the export table, a stride elsewhere.
  const Layout layout = LayoutOf(talmer);
  ASSERT_GT(layout.exportSize, 0u);
  ASSERT_LE(layout.sectionsEnd, talmer.size());
  for (std::size_t length = 0; length < talmer.size(); ++length) {
    const bool dense = length < 0x1000 || (length >= layout.exportStart && length <= layout.exportStart + 0x100);
    if (!dense && length % 61 != 0) continue;
    ++copies;
    // Past the sections only what the system loader ignores is cut.
    const CheckStatus expected = length < layout.sectionsEnd ? CheckStatus::NotHostLibrary : CheckStatus::AllPresent;
    ASSERT_EQ(CheckCopy(talmer, length), expected) << "cut at " << length;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("truncated copies: %d of a %zu-byte library in %.2f s\n", copies, talmer.size(), seconds);
}

// One to twelve random changes: a quarter in the headers, a quarter on the
// address of a host function (left out, or another value), the rest in the
// export table; values at the edges of their range among them.
void Corrupt(std::vector<uint8_t>& bytes, const Layout& layout, std::mt19937& random) {
  const uint32_t extremes[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFF, 0x10000,
                               static_cast<uint32_t>(bytes.size())};
  const int changes = 1 + static_cast<int>(random() % 12);
  for (int k = 0; k < changes; ++k) {
    const int where = static_cast<int>(random() % 4);
    const uint16_t ordinal = kHostCatalogue[random() % kHostCatalogueSize].ordinal;
    const std::size_t at = where == 0   ? random() % 0x400
                           : where == 1 ? layout.addressTable + 4 * (ordinal - layout.ordinalBase)
                                        : layout.exportStart + random() % layout.exportSize;
    if (where == 1 && random() % 2) {
      for (int i = 0; i < 4; ++i) bytes[at + i] = 0;  // the function left out
    } else if (random() % 2 && at + 4 <= bytes.size()) {
      const uint32_t value = random() % 2 ? extremes[random() % std::size(extremes)] : static_cast<uint32_t>(random());
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    } else {
      bytes[at] ^= static_cast<uint8_t>(1 + random() % 255);
    }
  }
}

TEST(CorruptLibrary, RandomCorruptionNeverReadsOutsideTheFile) {
  std::vector<uint8_t> talmer = Talmer();
  ASSERT_FALSE(talmer.empty()) << "build the MinGW build first: " << KW_TALMER_DLL;
  const Layout layout = LayoutOf(talmer);
  ASSERT_GT(layout.exportSize, 0u);
  std::mt19937 random(20261207);
  int outcomes[4] = {};
  constexpr int kCopies = 5000;
  const auto start = std::chrono::steady_clock::now();
  for (int copy = 0; copy < kCopies; ++copy) {
    std::vector<uint8_t> bytes = talmer;
    Corrupt(bytes, layout, random);
    const std::size_t length = random() % 8 == 0 ? random() % bytes.size() : bytes.size();
    ++outcomes[static_cast<int>(CheckCopy(bytes, length))];
    if (HasFailure()) {
      ADD_FAILURE() << "copy " << copy;
      return;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("corrupt copies: %d in %.2f s; verdicts 0: %d, 1: %d, 2: %d, 3: %d\n", kCopies, seconds, outcomes[0],
              outcomes[1], outcomes[2], outcomes[3]);
  // The corruption reaches every kind of answer, not only the refusal.
  EXPECT_GT(outcomes[3], 0);
  for (std::size_t status = 0; status < std::size(outcomes); ++status) {
    EXPECT_GT(outcomes[status], 0) << "verdict " << status;
  }
}

}  // namespace
}  // namespace kw::tools::test
