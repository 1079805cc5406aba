// Saving komis.cfg after OK in the configuration dialog when the host's write
// fails or is cut short: the file keeps what it held, and the warning says
// whether it could.
#include <algorithm>
#include <functional>
#include <optional>
#include <regex>

#include "journal_format.h"
#include "registered_module.h"

using ::testing::ElementsAre;
using ::testing::Each;

namespace {

const char* const kKept = "Błąd zapisu konfiguracji!\nPoprzednia konfiguracja została zachowana.";
const char* const kNotRestored = "Błąd zapisu konfiguracji!\nNie udało się przywrócić poprzedniej konfiguracji!";
const char* const kNoneKnown =
    "Błąd zapisu konfiguracji!\nNie można odczytać wcześniejszej konfiguracji: jeśli była, nie została zachowana!";
const char* const kUnreadable =
    "Błąd zapisu konfiguracji!\nPoprzedniej konfiguracji nie udało się odczytać, nie została zachowana!";
const char* const kUnchecked =
    "Nie można sprawdzić zapisu konfiguracji!\n"
    "Plik mógł nie zostać zapisany: otwórz konfigurację ponownie, aby zobaczyć, co zawiera.";
const char* const kRestoreUnchecked =
    "Błąd zapisu konfiguracji!\nPoprzednią konfigurację zapisano ponownie, ale nie można tego sprawdzić.";
const char* const kSaveRunning = "Trwa zapis konfiguracji!\nSpróbuj ponownie za chwilę.";

class ConfigSave : public kwtest::RegisteredModuleTest {
 protected:
  void SetUp() override {
    RegisteredModuleTest::SetUp();
    host.ClearCalls();
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
    host.ClearCalls();
    SaveWithWarehouse2();
    const auto& calls = host.Calls();
    const auto found = std::find_if(calls.begin(), calls.end(),
                                    [&](const hostsim::CallRecord& call) { return call.name == function; });
    files.Write("komis.cfg", before);
    return found == calls.end() ? 0 : static_cast<int>(found - calls.begin()) + 1;
  }
  std::string Config() const { return files.Read("komis.cfg").value_or("<none>"); }
  // A save with warehouse 2 during which the host does `action` right after
  // the close of its write; the call log then holds the save's calls.
  void SaveDoingAtTheClose(const std::function<void()>& action) {
    const std::optional<std::string> before = files.Read("komis.cfg");
    const int close = NumberOfCall("HostWriteFile") + 1;
    if (!before) files.Delete("komis.cfg");
    ASSERT_GT(close, 1);
    host.ClearCalls();
    host.Interrupt(close, action);
    SaveWithWarehouse2();
    files.ClearFailures();
  }

  const std::string old = kwtest::KomisCfg({{1, 1}, {3, -1}});
};

std::vector<int16_t> Flags(std::initializer_list<std::pair<int, int16_t>> set) {
  std::vector<int16_t> flags(101, 0);
  for (const auto& [warehouse, value] : set) flags[warehouse] = value;
  return flags;
}

TEST_F(ConfigSave, AFailedWritePutsTheOldConfigurationBackAndSaysSo) {
  for (const std::size_t kept : {std::size_t{1}, std::size_t{100}, std::size_t{201}}) {
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

  // A write of which nothing reached the file leaves it empty, which reads
  // like a file that cannot be read: the new flags are written once more,
  // and read back this time.
  files.Write("komis.cfg", old);
  files.FailWrite(1, 0);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}}));
  EXPECT_EQ(Warnings().size(), 3u);
}

TEST_F(ConfigSave, TheOldBytesAreReadBeforeTheOpenForWritingAndWrittenBackThroughTheHost) {
  files.Write("komis.cfg", old);
  files.FailWrite(1, 50);
  SaveWithWarehouse2();
  std::vector<std::string> fileCalls;
  for (const hostsim::CallRecord& call : host.Calls()) {
    if (call.name == "HostOpenFile" && call.Text(0) == "komis.cfg") fileCalls.push_back("open " + call.Text(1));
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

  // The close loses the new flags: the empty file cannot tell them from a
  // read refused, so the new flags are written once more and read back.
  files.AnswerWrites(Answer::Zero);
  files.Write("komis.cfg", old);
  files.FailNextClose();
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}}));
  EXPECT_THAT(Warnings(), ::testing::IsEmpty());
  const std::vector<hostsim::CallRecord> opens = host.CallsTo("HostOpenFile");
  EXPECT_EQ(host.CallsTo("HostCloseFile").size(),
            0u + std::count_if(opens.begin(), opens.end(), [](const auto& open) { return open.result != 0; }));

  // Every close loses its data: nothing can be read back, nothing else is
  // written over the file, and the warning claims nothing it cannot know.
  files.Write("komis.cfg", old);
  files.FailEveryClose(true);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), "");
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kUnchecked));
  files.FailEveryClose(false);
  EXPECT_THAT(FlagsTheNextDialogShows(), Each(0));
  EXPECT_EQ(files.LogLines("Kalwestrowka.log").size(), Warnings().size());

  // Another program replaces the whole file between the close and the read
  // back: 202 bytes, not the flags chosen. The old ones go back.
  files.Write("komis.cfg", old);
  SaveDoingAtTheClose([&] { files.Write("komis.cfg", kwtest::KomisCfg({{7, 1}})); });
  EXPECT_EQ(Config(), old);
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kKept));
}

// The host refuses to open komis.cfg for reading right after the write (a
// virus scanner or a file server holding the file just written), or its
// read gives nothing: the save cannot be checked. The file keeps what the
// write put there, whatever was there before, and the user is told just that.
TEST_F(ConfigSave, ASaveThatCannotBeReadBackIsLeftAsWrittenAndSaidSo) {
  const std::string chosen = kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}});
  for (const bool firstUse : {false, true}) {
    SCOPED_TRACE(firstUse ? "no komis.cfg before" : "komis.cfg before");
    if (firstUse) files.Delete("komis.cfg");
    else files.Write("komis.cfg", old);
    // From the close of the write on, every open for reading is refused.
    SaveDoingAtTheClose([&] { files.RefuseOpen("komis.cfg", "rb"); });
    EXPECT_EQ(Config(), firstUse ? kwtest::KomisCfg({{2, 1}}) : chosen);
    ASSERT_FALSE(Warnings().empty());
    EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kUnchecked));
    // Only the flags chosen were written, the second time after the first
    // could not be read back.
    EXPECT_EQ(host.CountCalls("HostWriteFile"), 2);
    const std::vector<hostsim::CallRecord> opens = host.CallsTo("HostOpenFile");
    EXPECT_EQ(std::count_if(opens.begin(), opens.end(), [](const auto& open) { return open.Text(0) == "komis.cfg"; }),
              3 + 4)
        << "three reads at the start, two writes, two reads back";
  }

  // From the close on, the host's reads answer 0 although they read: the
  // flags are seen on the disk and nothing is said. Reads that answer the
  // count asked for but put nothing into the buffer check nothing.
  using Answer = hostsim::SimFiles::ReadAnswer;
  for (const Answer answer : {Answer::Zero, Answer::ClaimedWithoutData}) {
    SCOPED_TRACE(answer == Answer::Zero ? "reads answering 0" : "reads claiming what they did not read");
    files.Write("komis.cfg", old);
    const std::size_t before = Warnings().size();
    SaveDoingAtTheClose([&] { files.AnswerReads(answer); });
    files.AnswerReads(Answer::Items);
    EXPECT_EQ(Config(), chosen);
    if (answer == Answer::Zero) {
      EXPECT_EQ(Warnings().size(), before);
    } else {
      ASSERT_EQ(Warnings().size(), before + 1);
      EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kUnchecked));
    }
  }

  // Every read back answers 0 (the read before the save is the third read).
  files.Write("komis.cfg", old);
  files.FailRead(4);
  files.FailRead(5);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), chosen);
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kUnchecked));

  // Only the first read back answers 0: the second one sees the flags.
  files.Write("komis.cfg", old);
  const std::size_t warnings = Warnings().size();
  files.FailRead(4);
  SaveWithWarehouse2();
  EXPECT_EQ(Config(), chosen);
  EXPECT_EQ(Warnings().size(), warnings);

  // A failed write, and then the read back of the old flags refused: they
  // were written, but nobody can say they are there.
  files.Write("komis.cfg", old);
  const int restore = NumberOfCall("HostWriteFile") + 6;  // close, open rb, read, close, open wb, write
  files.FailWrite(1, 40);
  host.Interrupt(restore, [&] { files.RefuseOpen("komis.cfg", "rb"); });
  SaveWithWarehouse2();
  files.ClearFailures();
  EXPECT_EQ(Config(), old);
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kRestoreUnchecked));
}

// The user picks the command again from inside a host call of a save and
// confirms another choice there: a second save would leave the file to
// whichever read it back last. The command is refused while a save runs, so
// the choice confirmed stays on the disk.
TEST_F(ConfigSave, TheCommandPickedInsideASaveIsRefusedAndTheChoiceConfirmedStays) {
  for (const char* call : {"HostOpenFile", "HostWriteFile", "HostCloseFile", "HostReadFile"}) {
    SCOPED_TRACE(call);
    files.Write("komis.cfg", old);
    // The save's own calls come after the three reads of the command's start.
    const std::string before = Config();
    host.ClearCalls();
    SaveWithWarehouse2();
    const auto& calls = host.Calls();
    int nth = 0, seen = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].name == "HostOpenFile" && calls[i].Text(1) == "wb") seen = 1;
      if (seen && calls[i].name == call) {
        nth = static_cast<int>(i) + 1;
        break;
      }
    }
    files.Write("komis.cfg", before);
    ASSERT_GT(nth, 0);
    const std::size_t runs = dialog.Runs().size();
    const std::size_t warnings = Warnings().size();
    host.Interrupt(nth, [&] {
      dialog.MarkInList({{5, 1}});
      RunCommand(hostsim::kDialogOk);
    });
    dialog.MarkInList({{2, 1}});
    dialog.Script({}, hostsim::kDialogOk);
    commands.Pick(kwtest::kConfigCommandId);
    EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}}));
    EXPECT_EQ(dialog.Runs().size(), runs + 1) << "the command's dialog opened inside the save";
    ASSERT_EQ(Warnings().size(), warnings + 1);
    EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kSaveRunning));
    host.Interrupt(0, {});
    RunCommand(kCancel);  // takes the refused command's edit off the host's list
  }

  // Picked after the first dialog's OK, as the host's closing event reaches
  // it, in the rest of the dialog call, or in the call that ends its callback:
  // the choice confirmed there came later and stays. Picked inside the
  // closing event's call before the event reaches the dialog, it came before
  // the module could know of the first dialog's end, whose choice then stays.
  struct Site {
    const char* call;
    int phase;  // of a dialog event the call dispatches; 0: any call of that name
    bool beforeWork;
    bool laterChoiceStays;
  };
  for (const Site site : {Site{"HostDestroyCallbackThunk", 0, false, true}, Site{"HostRunDialog", 0, false, true},
                          Site{"HostDispatchDialogEvent", 2, false, true},
                          Site{"HostDispatchDialogEvent", 2, true, false}}) {
    SCOPED_TRACE(std::string(site.call) + (site.beforeWork ? " before its work" : " after its work"));
    files.Write("komis.cfg", old);
    const std::size_t runs = dialog.Runs().size();
    const std::size_t warnings = Warnings().size();
    host.InterruptAt([&](const hostsim::HostCall& call) {
      return call.info->name == std::string(site.call) && (site.phase == 0 || static_cast<int16_t>(call.Arg(2)) == site.phase);
    }, [&] {
      dialog.MarkInList({{5, 1}});
      RunCommand(hostsim::kDialogOk);
    }, site.beforeWork);
    SaveWithWarehouse2();
    EXPECT_EQ(Config(), site.laterChoiceStays ? kwtest::KomisCfg({{1, 1}, {3, -1}, {5, 1}})
                                              : kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}}));
    EXPECT_EQ(dialog.Runs().size(), runs + 2);
    EXPECT_EQ(Warnings().size(), warnings);
    host.Interrupt(0, {});
  }
}

// The user presses Esc, the host raises the closing event and asks whether
// to drop the changes; the user stays in the dialog, opens the list again
// (F2), from where the host runs the command once more and the user confirms
// warehouse 5 there; then the first dialog's OK confirms warehouse 2, last.
// The closing the host called off was not the dialog's end: the choice
// confirmed last is on the disk.
TEST_F(ConfigSave, AClosingTheHostCallsOffIsNotTheEnd) {
  files.Write("komis.cfg", old);
  int lists = 0;
  host.InterruptAt(
      [&](const hostsim::HostCall& call) {
        return call.info->name == std::string("HostEditWarehouseFlags") && ++lists == 2;
      },
      [&] {
        dialog.MarkInList({{5, 1}});
        RunCommand(hostsim::kDialogOk);
      });
  dialog.MarkInList({{2, 1}});
  dialog.Script({{kCancel, 2}, {0x430E, 1}}, hostsim::kDialogOk);
  commands.Pick(kwtest::kConfigCommandId);
  host.Interrupt(0, {});
  ASSERT_EQ(dialog.Runs().size(), 2u) << "the command did not run inside the first dialog";
  EXPECT_EQ(Config(), kwtest::KomisCfg({{1, 1}, {2, 1}, {3, -1}})) << "the choice confirmed last was dropped";
  EXPECT_THAT(Warnings(), ::testing::IsEmpty());
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

// A save's line in the journal names the warehouses marked before it as the
// module knew them, from the read before the save or from the dialog's
// start; its warning is the one shown. Without either read it says that it
// does not know, and no warning claims there was nothing to keep.
TEST_F(ConfigSave, TheJournalSaysWhatWasMarkedBeforeAsFarAsTheModuleKnew) {
  const auto lastSave = [&](const char* trace, std::size_t shown, const std::string& before) {
    const std::vector<std::string> lines = files.LogLines(kw::kJournalFile);
    const std::regex save(R"(^[-0-9]{10};[:0-9]{8};(KONFIGURACJA|BLAD_KONFIGURACJI);;;;([^;]*);([^;]*);[^;]*;$)");
    std::smatch found;
    ASSERT_TRUE(!lines.empty() && std::regex_match(lines.back(), found, save)) << trace;
    const char* const saveWarnings[] = {kKept, kNotRestored, kNoneKnown, kUnreadable, kUnchecked, kRestoreUnchecked,
                                        "Nie można otworzyć pliku konfiguracji do zapisu!"};
    const bool warned = Warnings().size() > shown && std::any_of(std::begin(saveWarnings), std::end(saveWarnings),
                                                                 [&](const char* text) {
                                                                   return Warnings().back() == kwtest::Mazovia(text);
                                                                 });
    std::string warning = warned ? hostsim::MazoviaToWindows1250(Warnings().back()) : "";
    std::replace(warning.begin(), warning.end(), '\n', ' ');
    EXPECT_EQ(found[1].str(), warned ? "BLAD_KONFIGURACJI" : "KONFIGURACJA") << trace;
    EXPECT_EQ(found[2].str(), warning) << trace;
    EXPECT_EQ(found[3].str(), before) << trace;
    EXPECT_NE(Warnings().empty() ? "" : Warnings().back(), kwtest::Mazovia(kNoneKnown)) << trace;
  };
  const std::pair<const char*, std::function<void(int)>> failures[] = {
      {"open", [&](int n) { files.FailOpen(n); }},
      {"read", [&](int n) { files.FailRead(n); }},
      {"write", [&](int n) { files.FailWrite(n, 70); }},
      {"close", [&](int n) { if (n == 1) files.FailNextClose(); }},
  };
  for (const auto& [call, fail] : failures) {
    for (int n = 1; n <= 6; ++n) {
      const std::string trace = std::string(call) + " " + std::to_string(n) + " of the command's failing";
      files.Write("komis.cfg", old);
      const std::size_t shown = Warnings().size();
      fail(n);
      SaveWithWarehouse2();
      files.ClearFailures();
      lastSave(trace.c_str(), shown, "1, 3");
    }
  }

  // No komis.cfg at the start nor before the save, and the write fails.
  files.Delete("komis.cfg");
  files.FailWrite(1, 120);
  SaveWithWarehouse2();
  EXPECT_EQ(Warnings().back(), kwtest::Mazovia(kNoneKnown));
  EXPECT_EQ(Config(), "");
  EXPECT_THAT(FlagsTheNextDialogShows(), Each(0));
  EXPECT_THAT(files.LogLines(kw::kJournalFile).back(), ::testing::HasSubstr(";nieznane;2;"));
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
