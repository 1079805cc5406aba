// The command "Konfiguracja spr.obcej": its record, the dialog description, and
// the command run against the simulated host's dialog and warehouse list.
#include <cstring>

#include "call_checked.h"
#include "config_command.h"
#include "komis.h"
#include "module_commands.h"
#include "sim_config_dialog.h"
#include "sim_dialog_base.h"
#include "sim_files.h"
#include "test_support.h"

using ::testing::ElementsAre;
using ::testing::Each;
using ::testing::IsEmpty;

namespace {

// Little-endian bytes, written the way the host reads them.
class Bytes {
 public:
  Bytes& U16(uint16_t v) { return Raw(&v, 2); }
  Bytes& U32(uint32_t v) { return Raw(&v, 4); }
  Bytes& Text(const std::string& mazovia) { return Raw(mazovia.c_str(), mazovia.size() + 1); }
  Bytes& Item(uint16_t kind, uint16_t id, uint16_t flags, uint16_t key, uint16_t column, uint16_t row,
              uint16_t width) {
    return U16(kind).U16(id).U16(flags).U16(key).U16(column).U16(row).U16(width).U16(1).U32(0);
  }
  const std::string& str() const { return bytes_; }

 private:
  Bytes& Raw(const void* p, std::size_t n) {
    bytes_.append(static_cast<const char*>(p), n);
    return *this;
  }
  std::string bytes_;
};

TEST(CommandRecord, CarriesTheHostCodeMenuTextIdAndHandler) {
  const kw::HostCommand& record = kw::ModuleCommands[kw::kConfigCommand];
  Bytes expected;
  expected.U16(0).U16(0x41CB).U32(reinterpret_cast<uint32_t>(record.menuText)).U16(0x7939).U16(0);
  expected.U32(reinterpret_cast<uint32_t>(&kw::ConfigureForeignSale)).U32(0).U32(0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record), sizeof record), expected.str());
  EXPECT_EQ(std::string(record.menuText), kwtest::Mazovia("Konfiguracja spr.obcej"));
}

TEST(ConfigDialogTemplate, IsTheHostsDescriptionByteForByte) {
  Bytes expected;
  expected.U32(192).U16(188).U16(4).U16(0xFFFF).U16(0x4E43).U32(0).U32(0).U16(54).U16(8).U32(0).Text("Konfiguracja");
  expected.Item(3, 0x3C00, 0, 0, 3, 2, 48)
      .Text(kwtest::Mazovia("\x05" "F2\x01 Ustal MAGAZYNY z towarami dla sprzedaży obcej"));
  expected.Item(0, 0x430E, 0x0180, 0x3C00, 17, 3, 27).Text(" ");
  expected.Item(0, 0x5001, 0x0104, 0x8600, 9, 5, 15).Text("\x05" "F12\x01 OK");
  expected.Item(0, 0x5002, 0x0100, 0x001B, 28, 5, 15).Text("\x05" "Esc\x01 Anuluj");
  ASSERT_EQ(expected.str().size(), 196u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&kw::ConfigDialogTemplate), 196), expected.str());
}

class ConfigureCommand : public kwtest::ModuleCodeTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(kw::CurrentKomis, nullptr);
    EXPECT_EQ(dialogBase.LiveObjects(), 0);
    EXPECT_EQ(dialog.LiveThunks(), 0);
    EXPECT_EQ(files.OpenFiles(), 0);
    ModuleCodeTest::TearDown();
  }
  int Run() {
    return static_cast<int>(hostsim::CallModule("ConfigureForeignSale",
                                                reinterpret_cast<const void*>(&kw::ConfigureForeignSale),
                                                hostsim::Convention::Cdecl, {}));
  }

  hostsim::SimConfigDialog& dialog = host.Use<hostsim::SimConfigDialog>();
  hostsim::SimDialogBase& dialogBase = host.Use<hostsim::SimDialogBase>();
  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
};

TEST_F(ConfigureCommand, FirstUseWarnsTwiceShowsNoWarehouseAndOkCreatesTheFile) {
  dialog.Script({}, 0x5001);
  dialog.MarkInList({{12, 1}, {100, 1}});

  EXPECT_EQ(Run(), 0);

  const std::string noFile =
      kwtest::Mazovia("Nie można otworzyć pliku konfiguracynego do odczytu!\nOperacja niekompletna!");
  EXPECT_THAT(kwtest::BoxTexts(messages), ElementsAre(noFile, noFile));
  ASSERT_EQ(dialog.Runs().size(), 1u);
  EXPECT_THAT(dialog.Runs()[0].flagsBefore, Each(0));
  EXPECT_EQ(dialog.Runs()[0].dialogNumber, 20035);
  EXPECT_EQ(dialog.Runs()[0].description,
            std::string(reinterpret_cast<const char*>(&kw::ConfigDialogTemplate), 196));
  EXPECT_THAT(dialog.ListOpenings(), ElementsAre(0));  // opened by itself with the dialog
  EXPECT_THAT(dialog.Runs()[0].eventAnswers, ElementsAre(-2, 0));
  EXPECT_EQ(files.Read("komis.cfg"), kwtest::KomisCfg({{12, 1}, {100, 1}}));
}

TEST_F(ConfigureCommand, LeavingWithEscWritesNothing) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  dialog.Script({{0x430E, 1}}, 0x5002);
  dialog.MarkInList({{4, 1}});
  dialog.MarkInList({{5, 1}});
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(dialog.ListOpenings(), ElementsAre(0, 1));
  EXPECT_EQ(files.Read("komis.cfg"), kwtest::KomisCfg({{3, 1}}));
}

TEST_F(ConfigureCommand, OkWithoutChangesRewritesWhatWasRead) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}, {7, -1}}) + "trailing bytes");
  dialog.Script({}, 0x5001);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dialog.Runs()[0].flagsBefore[7], -1);
  EXPECT_EQ(files.Read("komis.cfg"), kwtest::KomisCfg({{3, 1}, {7, -1}}));
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(ConfigureCommand, F2OpensTheListAgainAndItsMarksAreWrittenOnOk) {
  dialog.Script({{0x430E, 1}, {0x430F, 1}}, 0x5001);
  dialog.MarkInList({});
  dialog.MarkInList({{9, 1}});
  dialog.MarkInList({{10, 1}});
  files.Write("komis.cfg", kwtest::KomisCfg({}));
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(dialog.ListOpenings(), ElementsAre(0, 1, 0));
  EXPECT_EQ(files.Read("komis.cfg"), kwtest::KomisCfg({{9, 1}, {10, 1}}));
}

TEST_F(ConfigureCommand, RaisesTheModeBitForTheCommandOnlyWhenItWasClear) {
  dialog.ModeWord() = 0x0011;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dialog.ModeWord(), 0x0011);
  std::vector<std::vector<uint32_t>> setCalls;
  for (const auto& call : host.CallsTo("HostSetModeFlags")) setCalls.push_back(call.args);
  EXPECT_THAT(setCalls, ElementsAre(ElementsAre(0x8000u, 1u), ElementsAre(0x8000u, 0u)));

  host.ClearCalls();
  dialog.ModeWord() = 0x8011;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dialog.ModeWord(), 0x8011);
  EXPECT_EQ(host.CountCalls("HostSetModeFlags"), 0);
}

TEST_F(ConfigureCommand, RefusedAccessAtTheFirstCheckCreatesNothingAndReadsNothing) {
  dialog.AnswerAccess({0});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dialogBase.Constructed(), 0);
  // Only the trace's switch beside komis.cfg is looked for.
  for (const hostsim::CallRecord& open : host.CallsTo("HostOpenFile")) EXPECT_EQ(open.Text(0), "Kalwestrowka-slad.cfg");
  EXPECT_EQ(dialog.ModeWord(), 0);
}

TEST_F(ConfigureCommand, RefusedAccessAtTheSecondCheckDestroysTheObjectUnused) {
  dialog.AnswerAccess({1, 0});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(dialogBase.Constructed(), 1);
  EXPECT_EQ(dialogBase.Destroyed(), 1);
  EXPECT_EQ(host.CountCalls("HostGetTable"), 0);
  EXPECT_TRUE(dialog.Runs().empty());
}

TEST_F(ConfigureCommand, PickedInsideADocumentDialogItGivesTheDialogsObjectBack) {
  kw::CSprKomis* documentDialog = kw::CreateKomis();
  kw::CurrentKomis = documentDialog;
  dialog.Script({}, 0x5001);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(kw::CurrentKomis, documentDialog);
  EXPECT_EQ(dialogBase.LiveObjects(), 1);
  kw::DestroyKomis(documentDialog);
  EXPECT_EQ(kw::CurrentKomis, nullptr);
}

}  // namespace
