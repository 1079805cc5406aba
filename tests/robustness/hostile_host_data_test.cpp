// Host data at the edge of what the host hands over: texts that fill their
// fields without a terminating zero, item and register lists empty, negative,
// huge or missing, null lines, a long module path, a long refusal reason,
// date and time texts filling their buffers, and random event codes and
// phases. Hostile fields sit at the end of guarded buffers where they can, so
// that a read past them faults; every event still reaches the handler before
// the module's exactly once, unchanged.
#include <cstring>
#include <random>

#include "guarded_memory.h"
#include "module_file_names.h"
#include "registered_module.h"
#include "sim_installation.h"

namespace {

class HostileHostData : public kwtest::RegisteredModuleTest {
 protected:
  void SetUp() override {
    RegisteredModuleTest::SetUp();
    SellConsignedGoodsFromWarehouse3();
  }
  void TearDown() override {
    for (void* block : guarded_) hostsim::ReleaseGuarded(block);
    RegisteredModuleTest::TearDown();
  }
  template <typename T>
  T* Guarded(std::size_t count = 1) {
    guarded_.push_back(hostsim::AllocateGuarded(sizeof(T) * count));
    return static_cast<T*>(guarded_.back());
  }
  kw::JpkRecord& RegisterEntry(int number) {
    return *reinterpret_cast<kw::JpkRecord*>(tables.Record(400, number - 1).data());
  }
  kw::ContractorRecord& Tmo() {
    for (int i = 0; i < tables.RecordCount(35); ++i) {
      auto* record = reinterpret_cast<kw::ContractorRecord*>(tables.Record(35, i).data());
      if (std::strcmp(record->ContrSymbol, "TMO") == 0) return *record;
    }
    throw std::runtime_error("no TMO");
  }
  // The item lines the host reports for the document in hand: these cells,
  // whatever they hold.
  void ReportItems(int32_t* countCell, uint8_t*** arrayCell) {
    host.On("HostItemCountRef", [countCell](hostsim::HostCall&) { return reinterpret_cast<uint32_t>(countCell); });
    host.On("HostItemArrayRef", [arrayCell](hostsim::HostCall&) { return reinterpret_cast<uint32_t>(arrayCell); });
  }
  // A line of a warehouse, alone at the end of its guarded block.
  uint8_t* Line(int16_t warehouse) {
    auto* line = Guarded<kw::ItemLine>();
    line->ItemRefA = 1;
    line->ItemWarehouse = warehouse;
    return reinterpret_cast<uint8_t*>(line);
  }
  // The host works on its register while one table has no record buffer:
  // the texts of the boxes shown meanwhile.
  std::vector<std::string> RegisterTextsWithoutTheBufferOf(int number) {
    HostTable* table = tables.Find(number);
    uint8_t* const buffer = table->RecordBuffer;
    table->RecordBuffer = nullptr;
    const std::size_t before = messages.Shown().size();
    shop.WorkOnJpkRegister();
    table->RecordBuffer = buffer;
    std::vector<std::string> texts;
    for (std::size_t i = before; i < messages.Shown().size(); ++i) texts.push_back(messages.Shown()[i].text);
    return texts;
  }
  bool AcceptMarksWithLines() {
    shop.OpenDocumentDialog();
    const int record = shop.EnterAndAccept("FS 3/1", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 1.0);
    const bool marked = shop.StoredDocument(record).ConversionPending == 1;
    shop.CloseDocumentDialog();
    return marked;
  }
  bool AcceptMarks() {
    shop.OpenDocumentDialog();
    const int record = shop.EnterAndAccept("FS 1/1", hostsim::kSalesDocumentKind, {}, 1.0);
    const bool marked = shop.StoredDocument(record).ConversionPending == 1;
    shop.CloseDocumentDialog();
    return marked;
  }

  std::vector<void*> guarded_;
};

TEST_F(HostileHostData, AnUnterminatedRegisterDocumentNumberIsShownWithinItsField) {
  kw::JpkRecord& entry = RegisterEntry(2);  // an entry of TMO
  std::memset(entry.JpkDocNumber, 'N', sizeof entry.JpkDocNumber);
  jpk.FailDeletionOf(2);
  shop.WorkOnJpkRegister();
  ASSERT_EQ(messages.Shown().size(), 2u);  // the wait box, then the failure
  EXPECT_EQ(messages.Shown()[1].text, kwtest::Mazovia("Nie mogę usunąć rekordu - nr dok: ") + std::string(50, 'N') + "!");
  EXPECT_EQ(jpk.PreviousCalls().size(), 1u);
}

TEST_F(HostileHostData, UnterminatedContractorAndRegisterTextsBreakNothing) {
  kw::ContractorRecord& tmo = Tmo();
  std::memcpy(tmo.ContrSymbol, "TMOTMOTMOTMOTMOTM", sizeof tmo.ContrSymbol);
  std::memset(tmo.ContrText1, 'A', sizeof tmo.ContrText1);
  std::memset(tmo.ContrText2, 'B', sizeof tmo.ContrText2);
  for (const int number : {2, 3}) {
    std::memset(RegisterEntry(number).JpkContrText1, 'A', sizeof tmo.ContrText1);
    std::memset(RegisterEntry(number).JpkContrText2, 'B', sizeof tmo.ContrText2);
  }
  shop.WorkOnJpkRegister();
  EXPECT_EQ(jpk.PreviousCalls().size(), 1u);

  // A marked document whose second number fills its field.
  shop.OpenDocumentDialog();
  const int record = shop.EnterAndAccept("FS 2/1", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 1.0);
  auto& document = const_cast<kw::DocRecord&>(shop.StoredDocument(record));
  ASSERT_EQ(document.ConversionPending, 1);
  std::memset(document.DocAltNumber, 'Z', sizeof document.DocAltNumber);
  shop.CloseDocumentDialog();
  EXPECT_EQ(document.ConversionPending, 0);
  EXPECT_EQ(std::string(document.DocNumber), std::string(15, 'Z'));
}

TEST_F(HostileHostData, ItemLineCountsOfZeroMinusOneAndAHundredThousand) {
  auto* count = Guarded<int32_t>();
  auto** array = Guarded<uint8_t**>();
  ReportItems(count, array);
  uint8_t** two = Guarded<uint8_t*>(2);
  two[0] = Line(1);
  two[1] = Line(3);
  *array = two;

  *count = 0;
  EXPECT_FALSE(AcceptMarks());
  *count = -1;
  EXPECT_FALSE(AcceptMarks());
  *count = 2;
  EXPECT_TRUE(AcceptMarks());

  // A hundred thousand lines, all null but the last, which ends its block.
  uint8_t** many = Guarded<uint8_t*>(100000);
  many[99999] = Line(3);
  *array = many;
  *count = 100000;
  EXPECT_TRUE(AcceptMarks());
  many[99999] = nullptr;
  many[500] = Line(3);
  EXPECT_TRUE(AcceptMarks());
  many[500] = Line(1);
  EXPECT_FALSE(AcceptMarks());
}

TEST_F(HostileHostData, NullItemCellsAndNullLinesCountAsNoLines) {
  auto* count = Guarded<int32_t>();
  auto** array = Guarded<uint8_t**>();
  uint8_t** lines = Guarded<uint8_t*>(3);
  lines[2] = Line(3);
  *array = lines;
  *count = 3;
  ReportItems(nullptr, array);
  EXPECT_FALSE(AcceptMarks());
  ReportItems(count, nullptr);
  EXPECT_FALSE(AcceptMarks());
  *array = nullptr;
  ReportItems(count, array);
  EXPECT_FALSE(AcceptMarks());
  *array = lines;
  EXPECT_TRUE(AcceptMarks());
  for (const int16_t warehouse : {int16_t{-1}, int16_t{101}, int16_t{32767}, int16_t{-32768}}) {
    lines[2] = Line(warehouse);
    EXPECT_FALSE(AcceptMarks()) << warehouse;
  }
}

TEST_F(HostileHostData, RegisterListsEmptyHugeOrWithoutCountOrArray) {
  jpk.SetList({});
  shop.WorkOnJpkRegister();
  EXPECT_EQ(jpk.Deleted().size(), 0u);

  std::vector<int> huge(100000);
  for (std::size_t i = 0; i < huge.size(); ++i) huge[i] = i % 1000 == 7 ? 2 : (i % 2 ? 1 : 4);
  jpk.SetList(huge);
  shop.WorkOnJpkRegister();
  EXPECT_EQ(jpk.Deleted().size(), 100u);
  EXPECT_EQ(jpk.Count(), 99900);
  const std::vector<int> left = jpk.List();
  EXPECT_EQ(std::count(left.begin(), left.end(), 2), 0);

  hostsim::TableEventArgs noCount = jpk.EventArgs(231);
  noCount[2] = 0;
  jpk.RaiseEvent(noCount);
  hostsim::TableEventArgs noArrayCell = jpk.EventArgs(231);
  noArrayCell[6] = 0;
  jpk.RaiseEvent(noArrayCell);
  *jpk.ArrayRef() = nullptr;
  jpk.RaiseEvent(231);
  ASSERT_EQ(jpk.PreviousCalls().size(), 5u);
  EXPECT_EQ(jpk.PreviousCalls()[2].args, noCount);
  EXPECT_EQ(jpk.PreviousCalls()[3].args, noArrayCell);
  EXPECT_EQ(jpk.Deleted().size(), 100u);
  *jpk.ArrayRef() = jpk.Array();
}

TEST_F(HostileHostData, RandomCodesAndPhasesReachTheHostsHandlersUnchanged) {
  std::mt19937 random(6);
  std::vector<hostsim::HostEventCall> raised;
  std::vector<hostsim::TableEventArgs> raisedOnRegister;
  const std::size_t before = hostsim::SimCommands::OwnHandlerCalls().size();
  for (int step = 0; step < 3000; ++step) {
    // 16-bit values as the host passes them, negative phases also widened
    // with their sign; every tenth event opens or ends a document dialog.
    const int code = static_cast<int>(random() & 0xFFFF);
    int phase = static_cast<int>(random() & 0xFFFF);
    if (random() % 2) phase = static_cast<int16_t>(phase);
    if (step % 10 == 0) phase = step % 20 ? -2 : 2;
    switch (random() % 3) {
      case 0:
        raised.push_back({815, code, phase});
        commands.Raise(815, code, phase);
        break;
      case 1:
        raised.push_back({1664, code, phase});
        commands.Raise(1664, code, phase);
        break;
      default:
        raisedOnRegister.push_back(jpk.EventArgs(step % 20 == 0 ? 231 : code));
        jpk.RaiseEvent(raisedOnRegister.back());
    }
  }
  commands.Raise(815, hostsim::kDialogOk, 2);
  raised.push_back({815, hostsim::kDialogOk, 2});

  const auto& reached = hostsim::SimCommands::OwnHandlerCalls();
  ASSERT_EQ(reached.size() - before, raised.size());
  for (std::size_t i = 0; i < raised.size(); ++i) {
    const hostsim::HostEventCall& call = reached[before + i];
    ASSERT_EQ(std::tie(call.event, call.code, call.phase), std::tie(raised[i].event, raised[i].code, raised[i].phase))
        << "event " << i;
  }
  ASSERT_EQ(jpk.PreviousCalls().size(), raisedOnRegister.size());
  for (std::size_t i = 0; i < raisedOnRegister.size(); ++i) {
    EXPECT_EQ(jpk.PreviousCalls()[i].args, raisedOnRegister[i]) << "register event " << i;
  }
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);
}

TEST_F(HostileHostData, DateAndTimeTextsThatFillTheirBuffersEndTheLogLineWithinBounds) {
  host.On("HostGetDateText", [](hostsim::HostCall& call) -> uint32_t {
    std::memset(call.Ptr<char>(0), 'D', 255);
    call.Ptr<char>(0)[255] = '\0';
    return 0;
  });
  host.On("HostGetTimeText", [](hostsim::HostCall& call) -> uint32_t {
    std::memset(call.Ptr<char>(0), 'T', 256);  // no room left for the zero
    return 0;
  });
  files.Delete("komis.cfg");
  RunCommand(kCancel);
  const std::vector<std::string> lines = files.LogLines("Kalwestrowka.log");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(255, 'D') + "-" + std::string(255, 'T') + " " +
                          kwtest::Windows1250("Nie można otworzyć pliku konfiguracynego do odczytu!\n"
                                              "Operacja niekompletna!"));
}

TEST_F(HostileHostData, NoStateCellsAndTablesWithoutRecordBuffersCountAsMissing) {
  host.On("HostGetStateLongPtr", [](hostsim::HostCall&) -> uint32_t { return 0; });
  host.On("HostGetStateWordPtr", [](hostsim::HostCall&) -> uint32_t { return 0; });
  EXPECT_TRUE(AcceptMarksWithLines());
  RunCommand(hostsim::kDialogOk);

  const std::string initialFailed = kwtest::Mazovia("Błąd operacji dyskowej-Initial!\nOperacja niekompletna!");
  for (const int number : {35, 45}) {
    SCOPED_TRACE("table " + std::to_string(number) + " without its record buffer");
    HostTable* table = tables.Find(number);
    uint8_t* buffer = table->RecordBuffer;
    table->RecordBuffer = nullptr;
    const std::size_t before = messages.Shown().size();
    EXPECT_FALSE(AcceptMarksWithLines()) << number;
    ASSERT_GT(messages.Shown().size(), before);
    EXPECT_EQ(messages.Shown()[before].text, initialFailed) << number;
    table->RecordBuffer = buffer;
  }
  // Without table 35's buffer the lookup of TMO stops with its warning; with
  // the register's own table without it, TMO is found and the cleanup stops
  // with its warning. Nothing is deleted either way.
  EXPECT_THAT(RegisterTextsWithoutTheBufferOf(35),
              ::testing::ElementsAre(
                  kwtest::Mazovia("Błąd operacji dyskowej-WyszukajKontrPoSymbolu!\nOperacja niekompletna!"),
                  kwtest::Mazovia("Nie znaleziono kontrahenta: TMO")));
  EXPECT_EQ(jpk.PreviousCalls().size(), 1u);
  EXPECT_THAT(RegisterTextsWithoutTheBufferOf(400),
              ::testing::ElementsAre(
                  kwtest::Mazovia("Trwa usuwanie dokumentów TMO - wtyczka Kalwestrowka..."),
                  kwtest::Mazovia("Błąd operacji dyskowej-UsunKalwestrowkaZ_JPK!\nOperacja niekompletna!")));
  EXPECT_EQ(jpk.Deleted().size(), 0u);
}

TEST_F(HostileHostData, ACallbackThunkLeftWithoutItsTableOpensNoDialogAndWritesNothing) {
  host.On("HostConstructCallbackThunk", [](hostsim::HostCall& call) -> uint32_t { return call.Arg(0); });
  host.On("HostDestroyCallbackThunk", [](hostsim::HostCall&) -> uint32_t { return 0; });
  const std::string before = files.Read("komis.cfg").value_or("");
  dialog.MarkInList({{7, 1}});
  RunCommand(hostsim::kDialogOk);
  EXPECT_EQ(host.CountCalls("HostRunDialog"), 0);
  EXPECT_EQ(host.CountCalls("HostDestroyCallbackThunk"), 1);
  EXPECT_EQ(files.Read("komis.cfg").value_or(""), before);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);

  // A table without the operation that gives the callable address: the same.
  static const void* const kTableWithoutCallable[4] = {};
  host.On("HostConstructCallbackThunk", [](hostsim::HostCall& call) -> uint32_t {
    *reinterpret_cast<const void* const**>(call.Arg(0)) = kTableWithoutCallable;
    return call.Arg(0);
  });
  dialog.MarkInList({{7, 1}});
  RunCommand(hostsim::kDialogOk);
  EXPECT_EQ(host.CountCalls("HostRunDialog"), 0);
  EXPECT_EQ(host.CountCalls("HostDestroyCallbackThunk"), 2);
  EXPECT_EQ(files.Read("komis.cfg").value_or(""), before);
  EXPECT_EQ(dialogBase.LiveObjects(), 0);
}

using HostileInstallation = kwtest::LoadedModuleTest;

TEST_F(HostileInstallation, AModulePathOf299CharactersIsShownWholeAndNamesTheModule) {
  std::string path = "C:\\";
  path += std::string(299 - path.size() - std::strlen("\\Kalwestrowka.dll"), 'p');
  path += "\\Kalwestrowka.dll";
  ASSERT_EQ(path.size(), 299u);
  hostsim::ModuleFileNames::Intercept().Answer(path);
  host.Omit(52308);
  boxes.Answer({IDIGNORE});
  ASSERT_TRUE(module.Load());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const std::string& text = boxes.Shown()[0].text;
  EXPECT_EQ(text.rfind("W module  " + path + " \nbrak wpisu  52308 \n", 0), 0u) << text;
  EXPECT_LE(text.size(), 503u);

  tables.Define(44, 1270);
  EXPECT_EQ(module.Install(hostsim::SimInstallation::InstallCallback(), nullptr), -1);
  EXPECT_EQ(module.Register(1), 0);
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_NE(messages.Shown()[0].text.find(kwtest::Mazovia("(moduł 'Kalwestrowka.dll')")), std::string::npos)
      << messages.Shown()[0].text;
}

TEST_F(HostileInstallation, ARefusalReasonWithoutAnEndIsCutToItsBuffer) {
  host.Use<hostsim::SimInstallation>();
  host.On("HostVerifyModule", [](hostsim::HostCall& call) -> uint32_t {
    if (!call.Ptr<char>(1)) return 0;
    std::memset(call.Ptr<char>(1), 'R', call.Int(2));
    return 1;
  });
  ASSERT_TRUE(module.Load());
  ASSERT_EQ(module.Install(hostsim::SimInstallation::InstallCallback(), nullptr), 0);
  EXPECT_EQ(module.Register(1), 0);
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "STOP!!!");
  EXPECT_EQ(messages.Shown()[0].text, std::string(3071, 'R'));
  EXPECT_EQ(host.CallsTo("HostVerifyModule").back().args[2], 3072u);
}

}  // namespace
