// Event 815 around the host's document dialog, and the conversion of the
// marked sales documents when the dialog ends.
#include <cstring>
#include <map>
#include <ostream>

#include "call_checked.h"
#include "conversion_hook.h"
#include "kept_record.h"
#include "host_records.h"
#include "komis.h"
#include "sim_dialog_base.h"
#include "sim_documents.h"
#include "sim_files.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr uint32_t kOk = 0x5001;
constexpr uint32_t kOpen = static_cast<uint32_t>(-2);
constexpr uint32_t kClose = 2;
constexpr int kLinkId = 77;

// The handler of event 815 that the host had before the module's.
struct PreviousCall {
  int code;
  int phase;
  bool objectAlive;  // a working object was alive during the call (out of its cell at the close)
  int tablesAsked;   // HostGetTable calls made so far
};
std::vector<PreviousCall> previousCalls;
int previousAnswer = 0;

int __stdcall Previous815(int code, int phase) {
  previousCalls.push_back({code, phase, hostsim::Host::Get().Use<hostsim::SimDialogBase>().LiveObjects() == 1,
                           hostsim::Host::Get().CountCalls("HostGetTable")});
  return previousAnswer;
}

kw::DocRecord MarkedDocument(const char* altNumber, int32_t linkId = kLinkId) {
  kw::DocRecord document{};
  std::strcpy(document.DocNumber, ".");
  std::strcpy(document.DocAltNumber, altNumber);
  std::strcpy(document.DocNote, "Wtyczka Kalwestrowka");
  document.ConversionPending = 1;
  document.DocLinkId = linkId;
  document.DocFlags = 0x0003;
  document.TermsWord = 0x1111;
  document.TermsAux = 0x2222;
  document.SettledAmount = 10.0;
  document.BalanceAmount = 20.0;
  for (int i = 0; i < 4; ++i) document.SplitAmount[i] = 1.5 + i;
  document.TotalAmount = 0.1;
  document.AddAmount = 0.2;
  document.DeductAmount = 0.3;
  return document;
}

std::string Bytes(const kw::DocRecord& document) {
  return std::string(reinterpret_cast<const char*>(&document), sizeof document);
}

class DocumentConversion : public kwtest::ModuleCodeTest {
 protected:
  void SetUp() override {
    ModuleCodeTest::SetUp();
    previousCalls.clear();
    previousAnswer = 0;
    kw::CurrentKomis = nullptr;
    kw::EventHook815 = nullptr;
    dialogBase.StateLong() = 0x0A0B0C0D;
    dialogBase.StateWord() = 0x0E0F;
    files.Write("komis.cfg", std::string(202, '\0'));
  }
  void TearDown() override {
    // A dialog a test left open is ended so that no object outlives the host.
    kw::EventHook815 = nullptr;
    Hook(0, kClose);
    if (cell) hostsim::ReleaseGuarded(cell);
    ModuleCodeTest::TearDown();
  }

  int Hook(uint32_t code, uint32_t phase) {
    return static_cast<int>(hostsim::CallModule("ConversionHook", reinterpret_cast<const void*>(&ConversionHook),
                                                hostsim::Convention::Std, {code, phase}));
  }
  // The host's cell with the previous handler (or none).
  void InstallPrevious(DocumentEventHandler* handler) {
    cell = hostsim::NewGuarded<DocumentEventHandler*>();
    *cell = handler;
    kw::EventHook815 = cell;
  }

  int AddTmo(uint16_t termsWord, uint16_t termsAux = 0x0042) {
    const int index = tables.AddContractor("TMO");
    auto* tmo = kw::AsContractor(reinterpret_cast<uint8_t*>(tables.Record(35, index).data()));
    tmo->ContrTermsWord = termsWord;
    tmo->ContrTermsAux = termsAux;
    return index;
  }
  int AddDocument(const kw::DocRecord& document) { return tables.AddRecord(44, Bytes(document), {24}); }
  int AddItem(int32_t linkId, char fill) {
    return tables.AddRecord(45, std::string(kw::kItemRecordLength, fill), {hostsim::KeyRef(68, linkId)});
  }
  kw::DocRecord Stored(int index) {
    kw::DocRecord document;
    std::memcpy(&document, tables.Record(44, index).data(), sizeof document);
    return document;
  }
  // Runs the conversion on a working object of its own, as the dialog's end
  // does, while the host holds records of its own in the buffers of tables
  // 35, 44 and 45: whatever the run did, they are there again afterwards.
  int Convert() {
    std::map<int, std::string> inHand;
    for (const int table : {35, 44, 45}) {
      uint8_t* buffer = tables.RecordBuffer(table);
      if (!buffer) continue;
      const int length = tables.Find(table)->RecordLength;
      for (int i = 0; i < length; ++i) buffer[i] = static_cast<uint8_t>(table + i);
      inHand[table].assign(reinterpret_cast<const char*>(buffer), length);
    }
    kw::CSprKomis* komis = kw::CreateKomis();
    const int result = komis->ConvertDocuments();
    kw::DestroyKomis(komis);
    for (const auto& [table, record] : inHand) {
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(tables.RecordBuffer(table)), record.size()), record)
          << "table " << table << ": the host's record in hand is not back";
    }
    return result;
  }
  std::vector<int> ReadPositions() const {
    std::vector<int> positions;
    for (const auto& call : host.CallsTo("HostReadSelected")) positions.push_back(static_cast<int>(call.args[1]));
    return positions;
  }


  // "FV/7/2026" as marked, converted with TMO's terms 0x0200 and 0x0042.
  void ExpectConvertedWithTermsThatClearTheSettlement(const kw::DocRecord& stored) {
    EXPECT_STREQ(stored.DocNumber, "FV/7/2026");
    EXPECT_STREQ(stored.DocNote, "Wtyczka Kalwestrowka");
    EXPECT_EQ(stored.ConversionPending, 0);
    EXPECT_EQ(stored.DocFlags, 0x0403);
    EXPECT_EQ(stored.TermsWord, 0x0200);
    EXPECT_EQ(stored.TermsAux, 0x0042);
    EXPECT_EQ(stored.SettledAmount, 0.0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(stored.SplitAmount[i], 0.0) << "split amount " << i + 1;
    // (0.1 + 0.2) - 0.3 in double precision is 2^-54; 80-bit intermediates or
    // another order give 2^-55 or 0.
    EXPECT_EQ(stored.BalanceAmount, 0x1p-54);
    EXPECT_EQ(stored.TotalAmount, 0.1);
    EXPECT_EQ(stored.DeductAmount, 0.3);
  }
  // One pass over the document's items, loaded, processed, synced and stored.
  void ExpectOnePassOverTheItems(std::vector<int> items) {
    ASSERT_EQ(documents.ItemPasses().size(), 1u);
    const auto& pass = documents.ItemPasses()[0];
    EXPECT_EQ(pass.table, 45);
    EXPECT_EQ(pass.loaded, items);
    EXPECT_EQ(pass.flags, 0x4100);
    EXPECT_EQ(pass.params, std::string(38, '\0') + std::string(4, '\xFF') + std::string(2, '\0'));
    EXPECT_TRUE(pass.synced);
    EXPECT_TRUE(pass.stored);
    const auto load = host.CallsTo("HostLoadSelection");
    ASSERT_EQ(load.size(), 1u);
    EXPECT_EQ(load[0].args[3], 5000u);
    EXPECT_EQ(host.CallsTo("HostStoreSelection")[0].args, load[0].args);
    const auto process = host.CallsTo("HostProcessItemSet");
    ASSERT_EQ(process.size(), 1u);
    EXPECT_EQ(process[0].args[0], 68u);
    EXPECT_EQ(process[0].args[2], reinterpret_cast<uint32_t>(pass.recordsOut));
    EXPECT_EQ(process[0].args[6], 0u);
    EXPECT_EQ(process[0].args[7], 1u);
    EXPECT_EQ(process[0].args[9] | process[0].args[10] | process[0].args[11], 0u);
  }
  // The contractor walk in key 6, then key 24 over the documents and key 68
  // with the document's link over its items.
  void ExpectTheKeysOfTheDocumentsAndTheItems() {
    const auto keys = host.CallsTo("HostMakeKey");
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[1].args[0], 24u);
    EXPECT_EQ(keys[1].args[1], reinterpret_cast<uint32_t>(tables.Find(44)));
    EXPECT_EQ(keys[1].args[3], 0u);
    EXPECT_EQ(keys[2].args[0], 68u);
    EXPECT_EQ(keys[2].args[1], reinterpret_cast<uint32_t>(tables.Find(45)));
    EXPECT_EQ(keys[2].args[3], static_cast<uint32_t>(kLinkId));
  }

  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
  hostsim::SimDocuments& documents = host.Use<hostsim::SimDocuments>();
  hostsim::SimDialogBase& dialogBase = host.Use<hostsim::SimDialogBase>();
  DocumentEventHandler** cell = nullptr;
};

// --- the conversion of one document -------------------------------------

TEST_F(DocumentConversion, AMarkedDocumentIsConvertedItsItemsReprocessedAndItIsStored) {
  AddTmo(0x0200, 0x0042);
  kw::DocRecord marked = MarkedDocument("FV/7/2026");
  const int doc = AddDocument(marked);
  AddItem(kLinkId + 1, 'x');  // another document's item
  const int item1 = AddItem(kLinkId, 'a');
  const int item2 = AddItem(kLinkId, 'b');

  EXPECT_EQ(Convert(), 0);

  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(doc));
  ExpectConvertedWithTermsThatClearTheSettlement(Stored(doc));
  ExpectOnePassOverTheItems({item1, item2});
  ExpectTheKeysOfTheDocumentsAndTheItems();
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "Czekaj");
  EXPECT_EQ(messages.Shown()[0].text, kwtest::Mazovia("Trwa zamiana dokumentów - wtyczka Kalwestrowka..."));
  EXPECT_EQ(messages.Shown()[0].style, hostsim::kWaitBoxStyle);
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
  EXPECT_EQ(tables.LiveSelections(), 0);
}

struct TermsCase {
  uint16_t termsWord;
  bool clearsSettlement;
};

std::ostream& operator<<(std::ostream& out, const TermsCase& terms) {
  return out << "TermsWord 0x" << std::hex << terms.termsWord;
}

class ConversionTerms : public DocumentConversion, public ::testing::WithParamInterface<TermsCase> {};

TEST_P(ConversionTerms, OnlyBitsNineToFourteenOfTheTermsClearTheSettlement) {
  AddTmo(GetParam().termsWord);
  const kw::DocRecord marked = MarkedDocument("FV/1");
  const int doc = AddDocument(marked);
  AddItem(kLinkId, 'a');

  EXPECT_EQ(Convert(), 0);

  const kw::DocRecord stored = Stored(doc);
  EXPECT_EQ(stored.TermsWord, GetParam().termsWord);
  if (GetParam().clearsSettlement) {
    EXPECT_EQ(stored.SettledAmount, 0.0);
    EXPECT_EQ(stored.SplitAmount[3], 0.0);
    EXPECT_EQ(stored.BalanceAmount, 0x1p-54);
  } else {
    EXPECT_EQ(stored.SettledAmount, marked.SettledAmount);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(stored.SplitAmount[i], marked.SplitAmount[i]) << "split amount " << i;
    EXPECT_EQ(stored.BalanceAmount, marked.BalanceAmount);
  }
}

INSTANTIATE_TEST_SUITE_P(Terms, ConversionTerms,
                         ::testing::Values(TermsCase{0x0000, false}, TermsCase{0x0100, false},
                                           TermsCase{0x81FF, false}, TermsCase{0x0200, true},
                                           TermsCase{0x4000, true}, TermsCase{0x7E00, true}));

TEST_F(DocumentConversion, TheConvertedFlagJoinsTheOtherFlagsAndStaysWhenAlreadySet) {
  AddTmo(0);
  kw::DocRecord first = MarkedDocument("A");
  first.DocFlags = 0x8401;
  kw::DocRecord second = MarkedDocument("B");
  second.DocFlags = 0x0000;
  AddDocument(first);
  AddDocument(second);

  EXPECT_EQ(Convert(), 0);

  EXPECT_EQ(Stored(0).DocFlags, 0x8401);
  EXPECT_EQ(Stored(1).DocFlags, 0x0400);
}

TEST_F(DocumentConversion, OnlyADocumentWithTheNoteTheDotAndAPendingConversionQualifies) {
  AddTmo(0x0200);
  kw::DocRecord notPending = MarkedDocument("A");
  notPending.ConversionPending = 0;
  kw::DocRecord otherNote = MarkedDocument("B");
  std::strcpy(otherNote.DocNote, "Wtyczka Kalwestrowka 2");
  kw::DocRecord numbered = MarkedDocument("C");
  std::strcpy(numbered.DocNumber, "C");
  kw::DocRecord pendingTwo = MarkedDocument("D");
  pendingTwo.ConversionPending = 2;
  for (const auto& document : {notPending, otherNote, numbered, pendingTwo}) AddDocument(document);

  EXPECT_EQ(Convert(), 0);

  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(3));
  EXPECT_EQ(tables.Record(44, 0), Bytes(notPending));
  EXPECT_EQ(tables.Record(44, 1), Bytes(otherNote));
  EXPECT_EQ(tables.Record(44, 2), Bytes(numbered));
  EXPECT_STREQ(Stored(3).DocNumber, "D");
  EXPECT_EQ(Stored(3).ConversionPending, 0);
  EXPECT_EQ(documents.ItemPasses().size(), 1u);
}

TEST_F(DocumentConversion, TheNumberTakesAtMostFifteenCharactersOfTheSecondNumber) {
  AddTmo(0);
  kw::DocRecord marked = MarkedDocument("");
  std::memcpy(marked.DocAltNumber, "0123456789ABCDEF", 16);  // fills its area
  AddDocument(marked);

  EXPECT_EQ(Convert(), 0);

  EXPECT_EQ(std::string(Stored(0).DocNumber, 16), std::string("0123456789ABCDE\0", 16));
}

TEST_F(DocumentConversion, WhatTheHostsSyncLeavesInTheDocumentIsWhatIsStored) {
  AddTmo(0);
  AddDocument(MarkedDocument("A"));
  host.On("HostSyncDocumentItems", [&](hostsim::HostCall& call) -> uint32_t {
    kw::AsDocument(call.Ptr<uint8_t>(2))->TotalAmount = 123.25;
    return 1;
  });

  EXPECT_EQ(Convert(), 0);

  EXPECT_EQ(Stored(0).TotalAmount, 123.25);
}

TEST_F(DocumentConversion, TheItemSetIsHandedFromDocumentToDocumentAsTheHostLeavesIt) {
  AddTmo(0);
  AddDocument(MarkedDocument("A", 1));
  AddDocument(MarkedDocument("B", 2));
  AddItem(1, 'a');
  AddItem(2, 'b');
  AddItem(2, 'c');

  EXPECT_EQ(Convert(), 0);

  const auto& passes = documents.ItemPasses();
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].recordsIn, nullptr);
  EXPECT_EQ(passes[0].auxIn, 0);
  EXPECT_EQ(passes[1].recordsIn, passes[0].recordsOut);
  EXPECT_NE(passes[1].auxIn, 0);
  EXPECT_THAT(passes[1].loaded, ElementsAre(1, 2));
  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(0, 1));
}

// --- a run that stops or cannot start -------------------------------------

TEST_F(DocumentConversion, ItemsThatCannotBeSelectedStopTheRunAndLeaveTheRestMarked) {
  AddTmo(0x0200);
  const kw::DocRecord second = MarkedDocument("B", 2);
  const kw::DocRecord third = MarkedDocument("C", 3);
  AddDocument(MarkedDocument("A", 1));
  AddDocument(second);
  AddDocument(third);
  // The host can select items once, for the first document only.
  host.On("HostSyncDocumentItems", [&](hostsim::HostCall&) -> uint32_t {
    tables.FailSelection(68);
    return 1;
  });

  EXPECT_EQ(Convert(), 0);

  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(0));
  EXPECT_STREQ(Stored(0).DocNumber, "A");
  EXPECT_EQ(tables.Record(44, 1), Bytes(second));
  EXPECT_EQ(tables.Record(44, 2), Bytes(third));
  EXPECT_THAT(ReadPositions(), ElementsAre(0, 1));
  EXPECT_EQ(tables.LiveSelections(), 0);
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
  EXPECT_EQ(messages.Shown().size(), 1u);  // the wait box, nothing else
}

// The module does not check the contractor table's record length: a
// contractor record of any length comes back whole (Convert() checks every
// byte of the host's records in hand). When the room for kept records is
// taken up (handlers nested deeper than any host goes), the run reads
// nothing over the host's records: the documents stay marked, the buffers
// as they were, and the one box of the keep that failed is all the user is
// told, whether the contractor's or the conversion's own keep fails. A
// keeper put back keeps again while it is the room's last.
TEST_F(DocumentConversion, TheHostsRecordsComeBackWholeOrAreNotReadOver) {
  for (const int length : {1536, 4097, 32767}) {
    SCOPED_TRACE("contractor records of " + std::to_string(length) + " bytes");
    tables.Define(35, length);
    AddTmo(0x0200, 0x0042);
    const int document = AddDocument(MarkedDocument("FV/8/2026"));
    AddItem(kLinkId, 'a');
    EXPECT_EQ(Convert(), 0);
    EXPECT_EQ(Stored(document).ConversionPending, 0);
  }

  tables.Define(35, 1536);
  AddTmo(0x0200, 0x0042);
  const int document = AddDocument(MarkedDocument("FV/9/2026"));
  // Room left: none for the contractor; for it but not for a document and an
  // item line (1268 + 515 bytes).
  const struct {
    int left;
    const char* box;
  } fullRooms[] = {{1000, "Błąd operacji dyskowej-WyszukajKontrPoSymbolu!\nOperacja niekompletna!"},
                   {1600, "Błąd operacji dyskowej-ConvertDocuments!\nOperacja niekompletna!"}};
  for (const auto& room : fullRooms) {
    SCOPED_TRACE("room left: " + std::to_string(room.left));
    const std::size_t shownBefore = messages.Shown().size();
    tables.Define(49, 32767);
    tables.Define(400, 65536 - 32767 - room.left);
    kw::KeptRecord first(tables.Find(49));
    kw::KeptRecord second(tables.Find(400));
    EXPECT_EQ(Convert(), 1);
    EXPECT_EQ(Stored(document).ConversionPending, 1);
    EXPECT_EQ(messages.OpenWaitBoxes(), 0);
    std::vector<std::string> boxes = kwtest::BoxTexts(messages);
    boxes.erase(boxes.begin(), boxes.begin() + static_cast<std::ptrdiff_t>(shownBefore));
    std::erase(boxes, kwtest::Mazovia("Trwa zamiana dokumentów - wtyczka Kalwestrowka..."));
    EXPECT_THAT(boxes, ElementsAre(kwtest::Mazovia(room.box)));
    // Put back, the last keeper keeps again; one with a keeper after it cannot.
    uint8_t* buffer = tables.RecordBuffer(400);
    second.PutBack();
    buffer[0] = 'x';
    EXPECT_TRUE(second.Keep(tables.Find(400)));
    buffer[0] = 'y';
    second.PutBack();
    EXPECT_EQ(buffer[0], 'x');
    first.PutBack();
    EXPECT_FALSE(first.Keep(tables.Find(49)));
  }
}

TEST_F(DocumentConversion, ADocumentThatCannotBeReadIsSkipped) {
  AddTmo(0);
  const kw::DocRecord first = MarkedDocument("A");
  AddDocument(first);
  AddDocument(MarkedDocument("B"));
  tables.FailReadAt(44, 0);

  EXPECT_EQ(Convert(), 0);

  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(1));
  EXPECT_EQ(tables.Record(44, 0), Bytes(first));
}

TEST_F(DocumentConversion, AnEmptySelectionShowsAndRemovesTheWaitBox) {
  AddTmo(0);

  EXPECT_EQ(Convert(), 0);

  EXPECT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
  EXPECT_EQ(host.CountCalls("HostReadSelected"), 0);
  EXPECT_EQ(host.CountCalls("HostFreeSelection"), 1);
  EXPECT_EQ(tables.LiveSelections(), 0);
}

TEST_F(DocumentConversion, ADocumentSelectionThatFailsRemovesTheWaitBoxWithoutAMessage) {
  AddTmo(0);
  AddDocument(MarkedDocument("A"));
  tables.FailSelection(24);

  EXPECT_EQ(Convert(), 1);

  EXPECT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
  EXPECT_EQ(host.CountCalls("HostFreeSelection"), 0);
  EXPECT_THAT(tables.WrittenRecords(44), IsEmpty());
}

TEST_F(DocumentConversion, WithoutTheContractorTmoOneLoggedWarningAndNoDocumentTouched) {
  tables.AddContractor("TM");
  AddDocument(MarkedDocument("A"));

  EXPECT_EQ(Convert(), 1);

  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "Uwaga");
  EXPECT_EQ(messages.Shown()[0].text, "Nie znaleziono kontrahenta: TMO");
  EXPECT_THAT(files.LogLines("Kalwestrowka.log"), ElementsAre(::testing::EndsWith(" Nie znaleziono kontrahenta: TMO")));
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
  EXPECT_EQ(host.CountCalls("HostSelectRecords"), 0);
  EXPECT_THAT(tables.WrittenRecords(44), IsEmpty());
}

TEST_F(DocumentConversion, AMissingItemTableStopsTheRunAfterInitialsWarning) {
  AddTmo(0);
  AddDocument(MarkedDocument("A"));
  tables.Remove(45);

  EXPECT_EQ(Convert(), 1);

  EXPECT_THAT(kwtest::BoxTexts(messages),
              ElementsAre(kwtest::Mazovia("Błąd operacji dyskowej-Initial!\nOperacja niekompletna!")));
  EXPECT_EQ(host.CountCalls("HostCursorOpen"), 0);
  EXPECT_EQ(host.CountCalls("HostSelectRecords"), 0);
}

// --- the handler of event 815 -------------------------------------------

TEST_F(DocumentConversion, TheDialogsEndConvertsAfterThePreviousHandlerAndEndsTheObject) {
  InstallPrevious(&Previous815);
  AddTmo(0);
  const int doc = AddDocument(MarkedDocument("FV/1"));

  previousAnswer = 0x12345678;
  EXPECT_EQ(Hook(0x3000, kOpen), 0x12345678);
  EXPECT_NE(kw::CurrentKomis, nullptr);
  EXPECT_EQ(dialogBase.LiveObjects(), 1);
  EXPECT_EQ(Hook(0x3000, 7), 0x12345678);
  EXPECT_EQ(host.CountCalls("HostGetTable"), 0);  // nothing converted before the end

  previousAnswer = 0x7FFF0005;
  EXPECT_EQ(Hook(0x3000, kClose), 5);

  ASSERT_EQ(previousCalls.size(), 3u);
  EXPECT_EQ(previousCalls[0].phase, -2);
  EXPECT_TRUE(previousCalls[0].objectAlive);  // the object is made before the event goes on
  EXPECT_EQ(previousCalls[2].code, 0x3000);
  EXPECT_EQ(previousCalls[2].phase, 2);
  EXPECT_TRUE(previousCalls[2].objectAlive);
  EXPECT_EQ(previousCalls[2].tablesAsked, 0);
  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(doc));
  EXPECT_EQ(kw::CurrentKomis, nullptr);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
  EXPECT_EQ(dialogBase.StateLong(), 0x0A0B0C0Du);
  EXPECT_EQ(dialogBase.StateWord(), 0x0E0F);
}

TEST_F(DocumentConversion, ThePreviousHandlersSixteenBitAnswerAtTheEndKeepsItsSign) {
  InstallPrevious(&Previous815);
  previousAnswer = 0x0001FFFE;
  EXPECT_EQ(Hook(kOk, kClose), -2);
  previousAnswer = 0x00008001;
  EXPECT_EQ(Hook(kOk, kClose), -32767);
  // In the other phases the answer goes back whole.
  previousAnswer = 0x0001FFFE;
  EXPECT_EQ(Hook(kOk, 1), 0x0001FFFE);
}

TEST_F(DocumentConversion, WithoutAPreviousHandlerEveryPhaseAnswersZero) {
  EXPECT_EQ(Hook(kOk, kOpen), 0);
  EXPECT_EQ(Hook(kOk, 1), 0);
  EXPECT_EQ(Hook(kOk, kClose), 0);
  InstallPrevious(nullptr);  // a cell that holds no handler
  EXPECT_EQ(Hook(kOk, kOpen), 0);
  EXPECT_EQ(Hook(kOk, 1), 0);
  EXPECT_EQ(Hook(kOk, kClose), 0);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
}

TEST_F(DocumentConversion, TheEndWithoutAnObjectConvertsNothingAndHandsTheEventOn) {
  InstallPrevious(&Previous815);
  previousAnswer = 9;
  AddTmo(0);
  AddDocument(MarkedDocument("A"));

  EXPECT_EQ(Hook(kOk, kClose), 9);

  EXPECT_EQ(host.CountCalls("HostGetTable"), 0);
  EXPECT_THAT(tables.WrittenRecords(44), IsEmpty());
  EXPECT_THAT(messages.Shown(), IsEmpty());
  ASSERT_EQ(previousCalls.size(), 1u);
}

TEST_F(DocumentConversion, TheFourDialogCodesRecordTheDocumentKindInAnyPhase) {
  InstallPrevious(&Previous815);
  documents.SetDocKind(24);
  Hook(kOk, kOpen);
  EXPECT_EQ(kw::CurrentKomis->docKind, 24);  // at the opening already

  const std::pair<uint32_t, int> recording[] = {{0x4151, 31}, {0x5001, 32}, {0x5002, 33}, {0x3D00, 34}};
  for (const auto& [code, kind] : recording) {
    documents.SetDocKind(kind);
    Hook(code, 5);
    EXPECT_EQ(kw::CurrentKomis->docKind, kind) << "code " << code;
  }
  documents.SetDocKind(50);
  Hook(0x4009, 1);
  Hook(0x5003, 1);
  EXPECT_EQ(kw::CurrentKomis->docKind, 34);
  EXPECT_EQ(previousCalls.size(), 7u);  // every event handed on
}

TEST_F(DocumentConversion, OnlyTheLowSixteenBitsOfCodeAndPhaseCount) {
  InstallPrevious(&Previous815);
  AddTmo(0);
  AddDocument(MarkedDocument("A"));
  documents.SetDocKind(24);

  Hook(0xABCD5001, 0x1234FFFE);  // OK at phase -2
  ASSERT_NE(kw::CurrentKomis, nullptr);
  EXPECT_EQ(kw::CurrentKomis->docKind, 24);
  Hook(0x00010000, 0x00FF0001);  // a middle phase
  EXPECT_NE(kw::CurrentKomis, nullptr);
  Hook(0x00013000, 0x80000002);  // the end
  EXPECT_EQ(kw::CurrentKomis, nullptr);
  EXPECT_THAT(tables.WrittenRecords(44), ElementsAre(0));

  // The previous handler gets every event as the host raised it, the end included.
  ASSERT_EQ(previousCalls.size(), 3u);
  EXPECT_EQ(previousCalls[0].code, static_cast<int>(0xABCD5001));
  EXPECT_EQ(previousCalls[0].phase, 0x1234FFFE);
  EXPECT_EQ(previousCalls[1].code, 0x00010000);
  EXPECT_EQ(previousCalls[1].phase, 0x00FF0001);
  EXPECT_EQ(previousCalls[2].code, 0x00013000);
  EXPECT_EQ(previousCalls[2].phase, static_cast<int>(0x80000002));
}

TEST_F(DocumentConversion, WithoutTheContractorTmoEveryDialogEndWarnsAndStillEndsTheObject) {
  for (int dialog = 0; dialog < 2; ++dialog) {
    Hook(0, kOpen);
    Hook(0, kClose);
  }
  EXPECT_THAT(kwtest::BoxTexts(messages), ElementsAre("Nie znaleziono kontrahenta: TMO",
                                                      "Nie znaleziono kontrahenta: TMO"));
  EXPECT_EQ(host.CountCalls("HostSelectRecords"), 0);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
  EXPECT_EQ(dialogBase.Destroyed(), 2);
}

TEST_F(DocumentConversion, ASecondOpeningEndsTheObjectTheFirstLeftBehind) {
  Hook(0, kOpen);
  kw::CSprKomis* first = kw::CurrentKomis;
  Hook(0, kOpen);

  EXPECT_NE(kw::CurrentKomis, nullptr);
  EXPECT_EQ(dialogBase.Constructed(), 2);
  EXPECT_EQ(dialogBase.Destroyed(), 1);
  EXPECT_EQ(dialogBase.LiveObjects(), 1);
  EXPECT_EQ(dialogBase.StateLong(), 0x0A0B0C0Du);
  (void)first;

  Hook(0, kClose);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
}

TEST_F(DocumentConversion, TheConfigurationCommandsObjectIsLeftToTheCommand) {
  kw::CSprKomis* command = kw::CreateKomis();

  // A document dialog inside the command's: the handler makes and ends its own object.
  Hook(0, kOpen);
  EXPECT_NE(kw::CurrentKomis, command);
  EXPECT_EQ(dialogBase.LiveObjects(), 2);
  Hook(0, kClose);
  EXPECT_EQ(dialogBase.LiveObjects(), 1);

  // A dialog end without an opening of this handler's: the command's object stays.
  Hook(0, kClose);
  EXPECT_EQ(dialogBase.LiveObjects(), 1);

  kw::DestroyKomis(command);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
}

}  // namespace
