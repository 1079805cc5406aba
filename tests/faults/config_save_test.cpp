// Saving komis.cfg after OK in the configuration dialog when the host's write
// fails or is cut short: the file keeps what it held, and the warning says
// whether it could.
#include <algorithm>

#include "registered_module.h"

using ::testing::ElementsAre;
using ::testing::Each;

namespace {

const char* const kKept = "Błąd zapisu konfiguracji!\nPoprzednia konfiguracja została zachowana.";
const char* const kNotRestored = "Błąd zapisu konfiguracji!\nNie udało się przywrócić poprzedniej konfiguracji!";
const char* const kNothingToKeep = "Błąd zapisu konfiguracji!\nNie było wcześniejszej konfiguracji do zachowania.";
const char* const kUnreadable =
    "Błąd zapisu konfiguracji!\nPoprzedniej konfiguracji nie udało się odczytać, nie została zachowana!";

class ConfigSave : public kwtest::RegisteredModuleTest {
 protected:
  void SetUp() override {
    RegisteredModuleTest::SetUp();
    host.ClearJournal();
  }
  void TearDown() override {
    EXPECT_EQ(files.OpenFiles(), 0);
    RegisteredModuleTest::TearDown();
  }
  // The user marks warehouse 2 in the dialog and confirms with OK.
  void SaveWithWarehouse2() {
    dialog.MarkInList({{2, 1}});
    RunCommand(hostsim::kDialogOk);
  }
  // The flags the next dialog starts from, as the host's warehouse list gets them.
  std::vector<int16_t> FlagsTheNextDialogShows() {
    RunCommand(kCancel);
    return dialog.Runs().back().flagsBefore;
  }
  std::vector<std::string> Warnings() const { return kwtest::BoxTexts(messages); }
  // The number, among the host calls of a save with warehouse 2 from now, of
  // the call named (1: the first of them), found by a save run for it.
  int NumberOfCall(const std::string& function) {
    const std::string before = Config();
    host.ClearJournal();
    SaveWithWarehouse2();
    const auto& journal = host.Journal();
    const auto found = std::find_if(journal.begin(), journal.end(),
                                    [&](const hostsim::JournalEntry& call) { return call.name == function; });
    files.Write("komis.cfg", before);
    return found == journal.end() ? 0 : static_cast<int>(found - journal.begin()) + 1;
  }
  std::string Config() const { return files.Read("komis.cfg").value_or("<none>"); }

  const std::string old = kwtest::KomisCfg({{1, 1}, {3, -1}});
};

std::vector<int16_t> Flags(std::initializer_list<std::pair<int, int16_t>> set) {
  std::vector<int16_t> flags(101, 0);
  for (const auto& [warehouse, value] : set) flags[warehouse] = value;
  return flags;
}

TEST_F(ConfigSave, AFailedWritePutsTheOldConfigurationBackAndSaysSo) {
  for (const std::size_t kept : {std::size_t{0}, std::size_t{100}, std::size_t{201}}) {
    files.Write("komis.cfg", old);
    const std::size_t warningsBefore = Warnings().size();
    files.FailWrite(1, kept);
    SaveWithWarehouse2();
    EXPECT_EQ(Config(), old) << "the write kept " << kept << " bytes";
    ASSERT_EQ(Warnings().size(), warningsBefore + 1);
    EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kKept));
  }
  EXPECT_EQ(FlagsTheNextDialogShows(), Flags({{1, 1}, {3, -1}}));
  EXPECT_EQ(files.LogLines("Kalwestrowka.log").size(), 3u);
}

TEST_F(ConfigSave, TheOldBytesAreReadBeforeTheOpenForWritingAndWrittenBackThroughTheHost) {
  files.Write("komis.cfg", old);
  files.FailWrite(1);
  SaveWithWarehouse2();
  std::vector<std::string> fileCalls;
  for (const hostsim::JournalEntry& call : host.Journal()) {
    if (call.name == "HostOpenFile") fileCalls.push_back("open " + call.Text(1));
    if (call.name == "HostReadFile") fileCalls.push_back("read " + std::to_string(call.args[2]));
    if (call.name == "HostWriteFile") fileCalls.push_back("write " + std::to_string(call.args[1]));
  }
  // Initial and the dialog read the file; then the old bytes, the failed
  // write, the read back, the write of the old bytes and its read back.
  EXPECT_THAT(fileCalls, ElementsAre("open rb", "read 202", "open rb", "read 202", "open rb", "read 202", "open wb",
                                     "write 202", "open rb", "read 202", "open wb", "write 202", "open rb",
                                     "read 202"));
}

TEST_F(ConfigSave, AnOldFileOfAnotherLengthGivesTheSameFlagsAfterAFailedWrite) {
  std::string longer = old + std::string(98, '\x7F');
  files.Write("komis.cfg", longer);
  files.FailWrite(1, 10);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), old);
  EXPECT_EQ(FlagsTheNextDialogShows(), Flags({{1, 1}, {3, -1}}));

  // 150 bytes are no configuration the module can read: nothing is put
  // back, the file is emptied, and the flags stay none.
  files.Write("komis.cfg", old.substr(0, 150));
  files.FailWrite(1, 10);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), "");
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kUnreadable));
  EXPECT_THAT(FlagsTheNextDialogShows(), Each(0));
}

// Hosts answer a write that went through with fwrite's 1, with 0 or with the
// bytes written, and one that buffers its writes learns of a full disk only
// at the close: the save is judged by the file read back.
TEST_F(ConfigSave, WhatTheFileHoldsDecidesWhateverTheWriteAndTheCloseAnswer) {
  using Answer = hostsim::SimFiles::WriteAnswer;
  for (const Answer answer : {Answer::Items, Answer::Zero, Answer::Bytes}) {
    files.Write("komis.cfg", old);
    files.AnswerWrites(answer);
    SaveWithWarehouse2();
    EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}})) << "answer " << static_cast<int>(answer);
    EXPECT_THAT(Warnings(), ::testing::IsEmpty()) << "answer " << static_cast<int>(answer);
    EXPECT_EQ(host.CallsTo("HostWriteFile").back().result, answer == Answer::Zero    ? 0u
                                                           : answer == Answer::Bytes ? 202u
                                                                                     : 1u);
  }

  // The close loses the new flags: the old ones are written back and read back.
  files.AnswerWrites(Answer::Zero);
  files.Write("komis.cfg", old);
  files.FailNextClose();
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), old);
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kKept));
  EXPECT_EQ(host.CallsTo("HostCloseFile").size(), 0u + host.CallsTo("HostOpenFile").size());

  // Every close loses its data: neither the new nor the old flags reach the
  // disk, and the warning does not claim that they did.
  files.FailEveryClose(true);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), "");
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kNotRestored));
  files.FailEveryClose(false);
  EXPECT_THAT(FlagsTheNextDialogShows(), Each(0));
  EXPECT_EQ(files.LogLines("Kalwestrowka.log").size(), Warnings().size());

  // Another program replaces the whole file between the close and the read
  // back: 202 bytes, not the flags chosen. The old ones go back.
  files.Write("komis.cfg", old);
  const int close = NumberOfCall("HostWriteFile") + 1;
  ASSERT_GT(close, 1);
  host.Interrupt(close, [&] { files.Write("komis.cfg", kwtest::KomisCfg({{7, 1}})); });
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), old);
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kKept));
}

// The old file was there but could not be read before the save: a failed
// write then has nothing to put back, and says so.
TEST_F(ConfigSave, AnOldFileThatCouldNotBeReadIsNotClaimedKept) {
  files.Write("komis.cfg", old);
  // Initial and the dialog read the file; the third read is the one before the save.
  files.FailRead(3);
  files.FailWrite(1, 60);
  SaveWithWarehouse2();
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kUnreadable));
  EXPECT_EQ(Config(), "");

  // The same read failing before a save that goes through does no harm.
  files.Write("komis.cfg", old);
  const std::size_t warnings = Warnings().size();
  files.FailRead(3);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}}));
  EXPECT_EQ(Warnings().size(), warnings);
}

TEST_F(ConfigSave, WhenTheOldContentCannotBeWrittenBackEitherTheWarningSaysSo) {
  files.Write("komis.cfg", old);
  files.FailWrite(1, 50);
  files.FailWrite(2, 20);
  SaveWithWarehouse2();
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kNotRestored));

  // The write fails, and the file can no longer be opened for writing when
  // the old flags are to go back.
  files.Write("komis.cfg", old);
  const int write = NumberOfCall("HostWriteFile");
  ASSERT_GT(write, 0);
  files.FailWrite(1, 50);
  host.Interrupt(write, [&] { files.RefuseOpen("komis.cfg", "wb"); });
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}}).substr(0, 50));
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kNotRestored));

  files.Write("komis.cfg", old);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), old);
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia("Nie można otworzyć pliku konfiguracji do zapisu!"));
}

TEST_F(ConfigSave, WithoutAnEarlierFileAFailedWriteLeavesNoFlagsAndSaysThereWasNothingToKeep) {
  files.FailWrite(1, 120);
  SaveWithWarehouse2();
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kNothingToKeep));
  EXPECT_EQ(Config(), "");
  EXPECT_THAT(FlagsTheNextDialogShows(), Each(0));
}

TEST_F(ConfigSave, ASuccessfulSaveWritesTheNewFlagsAndWarnsOfNothing) {
  files.Write("komis.cfg", old);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}}));
  EXPECT_TRUE(Warnings().empty());

  // First use: the two read warnings of the command, none from the save.
  files.Delete("komis.cfg");
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), kwtest::KomisCfg({{2, 1}}));
  const std::string cannotOpen =
      kwtest::Mazovia("Nie można otworzyć pliku konfiguracynego do odczytu!\nOperacja niekompletna!");
  EXPECT_THAT(Warnings(), ElementsAre(cannotOpen, cannotOpen));
}

}  // namespace
