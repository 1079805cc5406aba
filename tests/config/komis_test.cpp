// The working object: built on the host's dialog base, its hand-made table of
// virtual operations, the host state it restores, and Initial.
#include <cstring>

#include "call_checked.h"
#include "host_interface_golden.h"
#include "komis.h"
#include "sim_dialog_base.h"
#include "sim_files.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"

using hostsim::CallChecked;
using hostsim::Convention;
using ::testing::ElementsAre;
using ::testing::Each;
using ::testing::IsEmpty;

namespace {

class Komis : public kwtest::ModuleCodeTest {
 protected:
  void TearDown() override {
    if (komis) kw::DestroyKomis(komis);
    ModuleCodeTest::TearDown();
  }
  std::vector<int16_t> Flags() const { return {komis->warehouseFlags, komis->warehouseFlags + kw::kWarehouseCount}; }
  std::vector<std::string> Warnings() const { return kwtest::BoxTexts(messages); }

  hostsim::SimDialogBase& dialogBase = host.Use<hostsim::SimDialogBase>();
  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
  kw::CSprKomis* komis = nullptr;
};

TEST_F(Komis, ANewObjectStandsOnTheHostsBaseWithNoWarehouseFlagged) {
  komis = kw::CreateKomis();
  ASSERT_NE(komis, nullptr);
  EXPECT_EQ(dialogBase.Constructed(), 1);
  EXPECT_EQ(komis->vtable, KwKomisVirtualTable);
  EXPECT_THAT(Flags(), Each(0));
  EXPECT_EQ(komis->docKind, 0);
  kw::DestroyKomis(komis);
  komis = nullptr;
  EXPECT_EQ(dialogBase.Destroyed(), 1);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
}

TEST_F(Komis, DestructionPutsBackTheHostStateCellsWhateverHappenedMeanwhile) {
  dialogBase.StateLong() = 0x11112222;
  dialogBase.StateWord() = 0x3344;
  komis = kw::CreateKomis();
  dialogBase.StateLong() = 0xDEADBEEF;
  dialogBase.StateWord() = 0xBEEF;
  kw::DestroyKomis(komis);
  komis = nullptr;
  EXPECT_EQ(dialogBase.StateLong(), 0x11112222u);
  EXPECT_EQ(dialogBase.StateWord(), 0x3344);
}

TEST_F(Komis, TheVirtualTableLeadsToTheDestructorTheHandlerAndTheHostsOperationsInOrder) {
  komis = kw::CreateKomis();
  // The dialog base's operations, in the order of its table: the run of the
  // host functions from 20958 to 24004 in binding order (the golden list).
  std::vector<uint16_t> inherited;
  for (const auto& function : kwtest::golden::kHostFunctions) {
    if (function.ordinal == 20958 || !inherited.empty()) inherited.push_back(function.ordinal);
    if (function.ordinal == 24004) break;
  }
  ASSERT_EQ(inherited.size(), 33u);
  const uint32_t self = reinterpret_cast<uint32_t>(komis);
  for (std::size_t i = 0; i < inherited.size(); ++i) {
    SCOPED_TRACE("virtual operation " + std::to_string(2 + i) + ", host function " + std::to_string(inherited[i]));
    const auto result = CallChecked(KwKomisVirtualTable[2 + i], Convention::This, {}, self);
    EXPECT_EQ(result.check.espDelta, 0);
    ASSERT_FALSE(host.Calls().empty());
    EXPECT_EQ(host.Calls().back().ordinal, inherited[i]);
    EXPECT_EQ(host.Calls().back().args[0], self);
  }

  // OnDialogEvent: the closing phase is left alone.
  const auto handled = CallChecked(KwKomisVirtualTable[1], Convention::This, {0x430E, 2}, self);
  EXPECT_EQ(handled.value, 0u);
  EXPECT_EQ(handled.check.espDelta, 0);

  // The deleting destructor without bit 0 answers the object and keeps the memory.
  const auto destroyed = CallChecked(KwKomisVirtualTable[0], Convention::This, {0}, self);
  EXPECT_EQ(destroyed.value, self);
  EXPECT_EQ(destroyed.check.espDelta, 0);
  EXPECT_EQ(dialogBase.Destroyed(), 1);
  ::operator delete(komis);
  komis = nullptr;
}

TEST_F(Komis, InitialBindsTheThreeTablesSnapshotsTheDocumentAndReadsTheFlags) {
  std::string flags(202, '\0');
  flags[2 * 7] = 1;
  files.Write("komis.cfg", flags);
  std::memset(tables.RecordBuffer(44), 'A', kw::kDocRecordLength);
  komis = kw::CreateKomis();

  EXPECT_EQ(komis->Initial(), 0);

  EXPECT_EQ(komis->contractorTable, tables.Find(35));
  EXPECT_EQ(komis->docTable, tables.Find(44));
  EXPECT_EQ(komis->itemTable, tables.Find(45));
  EXPECT_EQ(komis->contractorRecord, tables.RecordBuffer(35));
  EXPECT_EQ(komis->docRecord, tables.RecordBuffer(44));
  EXPECT_EQ(komis->itemRecord, tables.RecordBuffer(45));
  std::vector<uint32_t> prepared;
  for (const auto& call : host.CallsTo("HostPrepareTable")) {
    EXPECT_EQ(call.args[1], 255u) << call.Describe();
    prepared.push_back(call.args[0]);
  }
  EXPECT_THAT(prepared, ElementsAre(reinterpret_cast<uint32_t>(tables.Find(35)),
                                    reinterpret_cast<uint32_t>(tables.Find(44)),
                                    reinterpret_cast<uint32_t>(tables.Find(45))));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(komis->savedDocRecord), kw::kDocRecordLength),
            std::string(kw::kDocRecordLength, 'A'));
  EXPECT_EQ(komis->warehouseFlags[7], 1);
  EXPECT_THAT(messages.Shown(), IsEmpty());
}

TEST_F(Komis, TheLatestInitialTakesTheDocumentCurrentAtThatMoment) {
  komis = kw::CreateKomis();
  std::memset(tables.RecordBuffer(44), 'A', kw::kDocRecordLength);
  komis->Initial();
  std::memset(tables.RecordBuffer(44), 'B', kw::kDocRecordLength);
  komis->Initial();
  EXPECT_EQ(komis->savedDocRecord[0], 'B');
  EXPECT_EQ(komis->savedDocRecord[kw::kDocRecordLength - 1], 'B');
}

TEST_F(Komis, InitialWithoutTheContractorTableWarnsOnceAndTouchesNothingElse) {
  tables.Remove(35);
  komis = kw::CreateKomis();
  komis->warehouseFlags[3] = 5;

  EXPECT_EQ(komis->Initial(), 1);

  EXPECT_THAT(Warnings(), ElementsAre(kwtest::Mazovia("Błąd operacji dyskowej-Initial!\nOperacja niekompletna!")));
  EXPECT_EQ(files.LogLines("Kalwestrowka.log").size(), 1u);
  EXPECT_EQ(komis->contractorTable, nullptr);
  EXPECT_EQ(komis->docTable, tables.Find(44));
  EXPECT_EQ(komis->itemTable, tables.Find(45));
  EXPECT_EQ(host.CountCalls("HostPrepareTable"), 0);
  EXPECT_EQ(host.CountCalls("HostOpenFile"), 0);
  EXPECT_EQ(komis->warehouseFlags[3], 5);
}

TEST_F(Komis, InitialWithoutKomisCfgSucceedsAfterTheOpenWarning) {
  komis = kw::CreateKomis();
  komis->warehouseFlags[100] = 9;
  EXPECT_EQ(komis->Initial(), 0);
  EXPECT_THAT(Warnings(), ElementsAre(kwtest::Mazovia(
                              "Nie można otworzyć pliku konfiguracynego do odczytu!\nOperacja niekompletna!")));
  EXPECT_EQ(komis->warehouseFlags[100], 9);
}

}  // namespace

namespace {

class KomisDialogEvent : public Komis {
 protected:
  void SetUp() override {
    Komis::SetUp();
    komis = kw::CreateKomis();
    host.ClearCalls();
  }
  // The fourth argument of each HostEditWarehouseFlags call.
  std::vector<uint32_t> ListOpenings() const {
    std::vector<uint32_t> fromKey;
    for (const auto& call : host.CallsTo("HostEditWarehouseFlags")) {
      SCOPED_TRACE(call.Describe());
      EXPECT_EQ(call.args[0], 0x430Eu);
      EXPECT_EQ(call.args[2], reinterpret_cast<uint32_t>(komis->warehouseFlags));
      fromKey.push_back(call.args[3]);
    }
    return fromKey;
  }
};

TEST_F(KomisDialogEvent, TheListOpensWithTheDialogAndOnTheF2Item) {
  EXPECT_EQ(komis->OnDialogEvent(0x1234, -2), -2);
  EXPECT_EQ(komis->OnDialogEvent(0x430E, -2), -2);
  EXPECT_EQ(komis->OnDialogEvent(0x430F, 1), -2);
  EXPECT_EQ(komis->OnDialogEvent(0xFFFF430E, 0x10001), -2);  // only the low 16 bits count
  EXPECT_THAT(ListOpenings(), ElementsAre(0u, 1u, 0u, 1u));
  for (const auto& call : host.CallsTo("HostSetDialogFlags")) {
    EXPECT_EQ(call.args, (std::vector<uint32_t>{0, 0x8000, 1})) << call.Describe();
  }
  EXPECT_EQ(host.CountCalls("HostSetDialogFlags"), 4);
}

TEST_F(KomisDialogEvent, TheClosingPhaseAndOtherEventsAreLeftAlone) {
  EXPECT_EQ(komis->OnDialogEvent(0x430E, 2), 0);
  EXPECT_EQ(komis->OnDialogEvent(0x5001, 1), 0);
  EXPECT_EQ(komis->OnDialogEvent(0x430E, 0x20002), 0);
  EXPECT_THAT(ListOpenings(), IsEmpty());
}

}  // namespace
