// komis.cfg as kalwcfg reads and writes it, and the one-step replacement of a file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "replace_file.h"
#include "warehouse_flags.h"

namespace kw::tools::test {
namespace {

namespace fs = std::filesystem;

TEST(WarehouseFlags, BytesAreSigned16BitLittleEndianInWarehouseOrder) {
  WarehouseFlags flags{};
  flags[0] = 1;
  flags[3] = 1;
  flags[99] = -1;    // 0xFFFF, as the host's list may write it
  flags[100] = 0x0102;
  const std::vector<uint8_t> bytes = EncodeFlags(flags);
  ASSERT_EQ(bytes.size(), 202u);
  std::vector<uint8_t> expected(202, 0);
  expected[0] = 0x01;
  expected[6] = 0x01;
  expected[198] = 0xFF;
  expected[199] = 0xFF;
  expected[200] = 0x02;
  expected[201] = 0x01;
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(DecodeFlags(expected), flags);
}

TEST(WarehouseFlags, MarkingKeepsOtherValuesAndListShowsThem) {
  WarehouseFlags flags{};
  flags[99] = -1;
  flags[50] = 7;
  MarkWarehouse(flags, 3);
  MarkWarehouse(flags, 99);  // already marked: stays as the host wrote it
  UnmarkWarehouse(flags, 50);
  UnmarkWarehouse(flags, 4);
  EXPECT_EQ(flags[3], 1);
  EXPECT_EQ(flags[99], -1);
  EXPECT_EQ(flags[50], 0);
  EXPECT_EQ(MarkedCount(flags), 2);
  EXPECT_EQ(MarkedList(flags), "3, 99 (wartość 0xFFFF)");
  EXPECT_EQ(MarkedList(WarehouseFlags{}), "");
}

TEST(WarehouseFlags, WarehouseNumbers) {
  EXPECT_EQ(ParseWarehouse("0"), 0);
  EXPECT_EQ(ParseWarehouse("7"), 7);
  EXPECT_EQ(ParseWarehouse("007"), 7);
  EXPECT_EQ(ParseWarehouse("100"), 100);
  for (const char* wrong : {"101", "-1", "+3", "", "3a", "1000", "0x10", " 5", "5 ", "٣"}) {
    EXPECT_EQ(ParseWarehouse(wrong), std::nullopt) << wrong;
  }
}

class ReplaceWholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kalwcfg-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override { fs::remove_all(folder); }

  static std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  static void Write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  // Only the named entries: no temporary file left behind.
  int Entries() const { return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator())); }

  fs::path folder;
};

TEST_F(ReplaceWholeFileTest, ReplacesContentsAndKeepsPermissions) {
  const fs::path path = folder / "komis.cfg";
  Write(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  EXPECT_EQ(ReplaceWholeFile(path, {'n', 'e', 'w', '\0'}), "");
  EXPECT_EQ(Contents(path), std::string("new\0", 4));
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), 1);
}

TEST_F(ReplaceWholeFileTest, CreatesAMissingFile) {
  const fs::path path = folder / "komis.cfg";
  EXPECT_EQ(ReplaceWholeFile(path, {'x'}), "");
  EXPECT_EQ(Contents(path), "x");
  EXPECT_EQ(Entries(), 1);
}

TEST_F(ReplaceWholeFileTest, ALinkStaysALinkToTheReplacedFile) {
  const fs::path target = folder / "real.cfg";
  const fs::path link = folder / "komis.cfg";
  Write(target, "old");
  fs::create_symlink(target, link);
  EXPECT_EQ(ReplaceWholeFile(link, {'n'}), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Contents(target), "n");
  EXPECT_EQ(Entries(), 2);
}

TEST_F(ReplaceWholeFileTest, FailureLeavesTheOldFileAndNoTemporaryFile) {
  // The place is taken by a folder that holds a file: the last step fails.
  const fs::path path = folder / "komis.cfg";
  fs::create_directory(path);
  Write(path / "inside", "kept");
  const std::string reason = ReplaceWholeFile(path, {'x'});
  EXPECT_TRUE(reason.starts_with("nie można zastąpić pliku: ")) << reason;
  EXPECT_EQ(Contents(path / "inside"), "kept");
  EXPECT_EQ(Entries(), 1);

  // A read-only file (what a file server shows for the read-only attribute)
  // is not replaced, whoever runs the tool.
  const fs::path readOnly = folder / "readonly.cfg";
  Write(readOnly, "old");
  ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
  EXPECT_EQ(ReplaceWholeFile(readOnly, {'x'}), "nie można zastąpić pliku: plik jest tylko do odczytu");
  EXPECT_EQ(Contents(readOnly), "old");
  EXPECT_EQ(Entries(), 2);

  // The folder does not exist: no temporary file can be made.
  const std::string missing = ReplaceWholeFile(folder / "none" / "komis.cfg", {'x'});
  EXPECT_EQ(missing, "nie można utworzyć pliku tymczasowego w folderze " + (folder / "none").string() +
                         ": plik lub folder nie istnieje");
}

}  // namespace
}  // namespace kw::tools::test
