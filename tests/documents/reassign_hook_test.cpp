// Event 1664: an accepted kind-24 document with an item line from a flagged
// warehouse gets the contractor TMO and the marks for its conversion.
#include <cstring>

#include "call_checked.h"
#include "conversion_hook.h"
#include "host_records.h"
#include "komis.h"
#include "reassign_hook.h"
#include "sim_documents.h"
#include "sim_files.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;

namespace {

constexpr uint32_t kOk = 0x5001;
constexpr uint32_t kAccept = 0x4009;

std::vector<std::pair<int, int>> previousCalls;
int previousAnswer = 0;

int __stdcall Previous1664(int code, int phase) {
  previousCalls.push_back({code, phase});
  return previousAnswer;
}

class ContractorReassignment : public kwtest::ModuleCodeTest {
 protected:
  void SetUp() override {
    ModuleCodeTest::SetUp();
    previousCalls.clear();
    previousAnswer = 0;
    cell = hostsim::NewGuarded<DocumentEventHandler*>();
    *cell = &Previous1664;
    kw::EventHook1664 = cell;
    kw::EventHook815 = nullptr;
    kw::CurrentKomis = komis = kw::CreateKomis();
    komis->docKind = 24;
    tables.AddContractor("TMO");
    // The document in hand, as the host shows it in the sales table's record buffer.
    kw::DocRecord* document = Document();
    std::memset(document, 0x5A, sizeof *document);
    std::strcpy(document->DocNumber, "FV/3/2026");
    std::strcpy(document->DocNote, "uwagi");
    document->ConversionPending = 0;
    before = Bytes();
  }
  void TearDown() override {
    if (komis) kw::DestroyKomis(komis);
    kw::EventHook1664 = nullptr;
    hostsim::ReleaseGuarded(cell);
    ModuleCodeTest::TearDown();
  }

  int Hook(uint32_t code, uint32_t phase) {
    return static_cast<int>(hostsim::CallModule("ReassignHook", reinterpret_cast<const void*>(&ReassignHook),
                                                hostsim::Convention::Std, {code, phase}));
  }
  kw::DocRecord* Document() const { return kw::AsDocument(tables.RecordBuffer(44)); }
  std::string Bytes() const { return std::string(reinterpret_cast<const char*>(Document()), kw::kDocRecordLength); }
  bool Marked() const {
    return std::strcmp(Document()->DocNumber, ".") == 0 &&
           std::strcmp(Document()->DocNote, "Wtyczka Kalwestrowka") == 0 && Document()->ConversionPending == 1;
  }

  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
  hostsim::SimDocuments& documents = host.Use<hostsim::SimDocuments>();
  DocumentEventHandler** cell = nullptr;
  kw::CSprKomis* komis = nullptr;
  std::string before;
};

TEST_F(ContractorReassignment, AFlaggedLineGivesTheDocumentTmoAndTheMarks) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(1);
  documents.AddItemLine(3);
  previousAnswer = 0x00120034;

  EXPECT_EQ(Hook(kOk, 1), 0x00120034);

  ASSERT_EQ(documents.Assignments().size(), 1u);
  const auto& assignment = documents.Assignments()[0];
  EXPECT_EQ(assignment.table, tables.Find(44));
  EXPECT_EQ(assignment.kind, 24);
  EXPECT_EQ(assignment.record, tables.RecordBuffer(44));
  EXPECT_EQ(assignment.reserved, 0);
  EXPECT_EQ(assignment.contractorSymbol, "TMO");
  EXPECT_TRUE(Marked());
  // Nothing else of the record changes, not even behind the texts.
  std::string expected = before;
  expected.replace(2, 2, std::string(".\0", 2));
  expected.replace(436, 21, std::string("Wtyczka Kalwestrowka\0", 21));
  expected.replace(1195, 2, std::string("\1\0", 2));
  EXPECT_EQ(Bytes(), expected);
  EXPECT_THAT(messages.Shown(), IsEmpty());
  EXPECT_THAT(previousCalls, ElementsAre(std::pair(0x5001, 1)));
}

TEST_F(ContractorReassignment, TheAcceptanceCodeInPhaseMinusOneMarksToo) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  Hook(kAccept, 0x0000FFFF);  // phase -1 in 16 bits
  EXPECT_TRUE(Marked());
  EXPECT_THAT(previousCalls, ElementsAre(std::pair(0x4009, 0xFFFF)));  // handed on as raised
}

TEST_F(ContractorReassignment, OnlyOkOrAcceptanceInPhaseOneOrMinusOneActsOnTheLowSixteenBits) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  previousAnswer = 7;
  const std::pair<uint32_t, uint32_t> ignored[] = {
      {0x5002, 1}, {kOk, 2}, {kOk, 0}, {kOk, static_cast<uint32_t>(-2)}, {0x4151, 1}, {0x00015002, 0x00010001},
      {kOk, 0x00010002}};
  for (const auto& [code, phase] : ignored) {
    EXPECT_EQ(Hook(code, phase), 7) << "code " << code << ", phase " << phase;
  }
  EXPECT_EQ(host.CountCalls("HostGetTable"), 0);
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(previousCalls.size(), std::size(ignored));

  Hook(0xFFFF5001, 0xABCD0001);
  EXPECT_TRUE(Marked());
  EXPECT_EQ(previousCalls.back(), std::pair(static_cast<int>(0xFFFF5001), static_cast<int>(0xABCD0001)));
}

TEST_F(ContractorReassignment, WithoutAWorkingObjectTheEventIsOnlyHandedOn) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  kw::CurrentKomis = nullptr;
  previousAnswer = -5;
  host.ClearCalls();

  EXPECT_EQ(Hook(kOk, 1), -5);
  *cell = nullptr;
  EXPECT_EQ(Hook(kOk, 1), 0);
  kw::EventHook1664 = nullptr;
  EXPECT_EQ(Hook(kOk, 1), 0);

  EXPECT_EQ(previousCalls.size(), 1u);
  EXPECT_EQ(host.Calls().size(), 0u);
  EXPECT_EQ(Bytes(), before);
}

TEST_F(ContractorReassignment, AnotherKindReadsNoFileAndChangesNothing) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  komis->docKind = 23;

  Hook(kOk, 1);

  EXPECT_EQ(host.CountCalls("HostOpenFile"), 0);
  EXPECT_EQ(host.CountCalls("HostGetTable"), 0);
  EXPECT_THAT(documents.Assignments(), IsEmpty());
  EXPECT_EQ(Bytes(), before);
}

TEST_F(ContractorReassignment, OnlyLinesWithAReferenceFromAFlaggedWarehouseZeroToHundredCount) {
  std::string flags(202, '\1');  // every warehouse flagged
  flags[2 * 7] = flags[2 * 7 + 1] = 0;  // but warehouse 7
  files.Write("komis.cfg", flags);
  documents.AddItemLine(0);                // counts
  documents.AddItemLine(100);              // counts: warehouses run up to 100
  documents.AddItemLine(5, 0, 0);          // no reference
  documents.AddItemLine(5, 0, 9);          // ItemRefB alone: counts
  documents.AddItemLine(5, 0x10000, 0);    // ItemRefA's high half alone: counts
  documents.AddItemLine(7);                // not flagged
  documents.AddItemLine(101);              // outside the flags
  documents.AddItemLine(-1);
  documents.AddItemLine(-32768);
  documents.AddItemLine(32767);

  EXPECT_EQ(komis->CountFlaggedItems(), 4);
}

TEST_F(ContractorReassignment, ALineFromWarehouseHundredAloneMarksTheDocument) {
  files.Write("komis.cfg", kwtest::KomisCfg({{100, 1}}));
  documents.AddItemLine(100);
  Hook(kOk, 1);
  EXPECT_TRUE(Marked());
}

TEST_F(ContractorReassignment, LinesThatDoNotCountLeaveTheDocumentUnchangedWithoutAMessage) {
  files.Write("komis.cfg", kwtest::KomisCfg({{5, 1}}));
  documents.AddItemLine(5, 0, 0);  // flagged but without a reference
  documents.AddItemLine(4);
  documents.AddItemLine(101);

  Hook(kOk, 1);

  EXPECT_EQ(Bytes(), before);
  EXPECT_THAT(messages.Shown(), IsEmpty());
  EXPECT_EQ(host.CountCalls("HostCursorOpen"), 0);  // no lookup without a flagged line
  EXPECT_THAT(documents.Assignments(), IsEmpty());
}

TEST_F(ContractorReassignment, AFlagSetInKomisCfgBetweenTwoAcceptancesTakesEffectAtTheSecond) {
  files.Write("komis.cfg", kwtest::KomisCfg({}));
  documents.AddItemLine(12);
  Hook(kOk, 1);
  EXPECT_FALSE(Marked());

  files.Write("komis.cfg", kwtest::KomisCfg({{12, 1}}));
  Hook(kOk, 1);
  EXPECT_TRUE(Marked());
  EXPECT_EQ(host.CountCalls("HostOpenFile"), 2);
}

TEST_F(ContractorReassignment, TheCountPutsBackTheDocumentAsInitialFoundIt) {
  documents.AddItemLine(6);
  komis->warehouseFlags[6] = 1;  // kept: komis.cfg cannot be opened below
  // While the file is being opened the host changes its current record.
  host.On("HostOpenFile", [&](hostsim::HostCall&) -> uint32_t {
    std::memset(Document(), 'Z', kw::kDocRecordLength);
    return 0;
  });

  EXPECT_EQ(komis->CountFlaggedItems(), 1);

  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(komis->savedDocRecord), kw::kDocRecordLength), before);
  EXPECT_EQ(messages.Shown().size(), 1u);  // the open-failure warning
}

TEST_F(ContractorReassignment, ACountWithoutUsableLinesFindsNothing) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  documents.AddItemLine(3);

  documents.ItemCount() = 0;
  EXPECT_EQ(komis->CountFlaggedItems(), 0);
  documents.ItemCount() = -4;
  EXPECT_EQ(komis->CountFlaggedItems(), 0);
  documents.ItemCount() = 1;
  EXPECT_EQ(komis->CountFlaggedItems(), 1);  // the count decides, not the lines held
  documents.ItemCount() = 2;
  documents.NullLine(0);
  EXPECT_EQ(komis->CountFlaggedItems(), 1);
  documents.DropItemArray();
  EXPECT_EQ(komis->CountFlaggedItems(), 0);
}

TEST_F(ContractorReassignment, AMissingTableDuringTheCountLeavesOnlyInitialsWarning) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  tables.Remove(45);

  Hook(kOk, 1);

  EXPECT_THAT(kwtest::BoxTexts(messages),
              ElementsAre(kwtest::Mazovia("Błąd operacji dyskowej-Initial!\nOperacja niekompletna!")));
  EXPECT_EQ(host.CountCalls("HostCursorOpen"), 0);
  EXPECT_EQ(Bytes(), before);
}

TEST_F(ContractorReassignment, WithoutTheContractorTmoAWarningIsLoggedAndNothingMarked) {
  tables.Define(35);  // no contractors
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);

  Hook(kOk, 1);

  EXPECT_THAT(kwtest::BoxTexts(messages), ElementsAre("Nie znaleziono kontrahenta: TMO"));
  EXPECT_THAT(files.LogLines("Kalwestrowka.log"), ElementsAre(EndsWith(" Nie znaleziono kontrahenta: TMO")));
  EXPECT_THAT(documents.Assignments(), IsEmpty());
  EXPECT_EQ(Bytes(), before);
}

TEST_F(ContractorReassignment, AnAssignmentTheHostRefusesIsWarnedAboutAndSetsNoMark) {
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  documents.AnswerAssignment(0);

  Hook(kOk, 1);

  EXPECT_EQ(documents.Assignments().size(), 1u);
  EXPECT_THAT(kwtest::BoxTexts(messages), ElementsAre(kwtest::Mazovia("Błąd przepisania kontr: TMO")));
  EXPECT_THAT(files.LogLines("Kalwestrowka.log"),
              ElementsAre(EndsWith(kwtest::Windows1250(" Błąd przepisania kontr: TMO"))));
  EXPECT_EQ(Bytes(), before);
}

// The whole road: the dialog opens, the host accepts the document and stores
// it, and the dialog's end converts it.
TEST_F(ContractorReassignment, AnAcceptedDocumentIsConvertedAtTheDialogsEnd) {
  kw::CurrentKomis = nullptr;
  files.Write("komis.cfg", kwtest::KomisCfg({{3, 1}}));
  documents.AddItemLine(3);
  documents.SetDocKind(24);
  kw::DocRecord* document = Document();
  std::strcpy(document->DocAltNumber, "FV/3/2026");
  document->DocLinkId = 31;
  const int stored = tables.AddRecord(44, Bytes(), {24});
  const auto call815 = [](uint32_t code, uint32_t phase) {
    return hostsim::CallModule("ConversionHook", reinterpret_cast<const void*>(&ConversionHook),
                               hostsim::Convention::Std, {code, phase});
  };

  call815(0, static_cast<uint32_t>(-2));
  call815(kOk, 1);  // the host reports the kind of the document in hand
  Hook(kOk, 1);
  ASSERT_TRUE(Marked());
  tables.Record(44, stored) = Bytes();  // the host stores the accepted record
  call815(kOk, 2);

  EXPECT_EQ(kw::CurrentKomis, nullptr);
  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(stored));
  const auto* converted = kw::AsDocument(reinterpret_cast<uint8_t*>(tables.Record(44, stored).data()));
  EXPECT_STREQ(converted->DocNumber, "FV/3/2026");
  EXPECT_STREQ(converted->DocNote, "Wtyczka Kalwestrowka");
  EXPECT_EQ(converted->ConversionPending, 0);
  EXPECT_EQ(converted->DocFlags & 0x400, 0x400);
}

}  // namespace
