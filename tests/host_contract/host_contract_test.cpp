// What the module hands the host, argument by argument, where a module that
// ignored or garbled an argument would otherwise go unnoticed: the access
// check, the installation callback, the warehouse list, the module path in the
// binding dialog, a missing document context and the "Pytaj" setting.
#include <vector>

#include "module_file_names.h"
#include "registered_module.h"
#include "sim_settings.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

using Args = std::vector<uint32_t>;

std::vector<Args> ArgsOfCalls(const hostsim::Host& host, const char* function) {
  std::vector<Args> calls;
  for (const hostsim::CallRecord& call : host.CallsTo(function)) calls.push_back(call.args);
  return calls;
}

class HostContract : public kwtest::RegisteredModuleTest {
 protected:
  void SetUp() override {
    RegisteredModuleTest::SetUp();
    host.ClearCalls();
  }
};

TEST_F(HostContract, TheCommandAsksForAccessOneFiveOneBeforeTheObjectAndBeforeTheDialog) {
  RunCommand(kCancel);
  EXPECT_THAT(ArgsOfCalls(host, "HostCheckAccess"), ElementsAre(Args{1, 5, 1}, Args{1, 5, 1}));

  dialog.AnswerAccess({1, 0});
  host.ClearCalls();
  RunCommand(kCancel);
  EXPECT_THAT(ArgsOfCalls(host, "HostCheckAccess"), ElementsAre(Args{1, 5, 1}, Args{1, 5, 1}));
  EXPECT_EQ(host.CountCalls("HostRunDialog"), 0);
}

TEST_F(HostContract, TheWarehouseListGetsItsItemTheFlagsOfTheDialogAndWhetherF2OpenedIt) {
  dialog.Script({{0x430E, 1}, {0x430F, 1}, {0x430E, 2}}, kCancel);
  commands.Pick(kwtest::kConfigCommandId);
  const auto runs = host.CallsTo("HostRunDialog");
  ASSERT_EQ(runs.size(), 1u);
  const uint32_t flags = runs[0].args[3];
  EXPECT_THAT(ArgsOfCalls(host, "HostEditWarehouseFlags"),
              ElementsAre(Args{0x430E, 0, flags, 0, 0, 0, 0, 0}, Args{0x430E, 0, flags, 1, 0, 0, 0, 0},
                          Args{0x430E, 0, flags, 0, 0, 0, 0, 0}));
  EXPECT_THAT(ArgsOfCalls(host, "HostSetDialogFlags"), ElementsAre(Args{0, 0x8000, 1}, Args{0, 0x8000, 1},
                                                                   Args{0, 0x8000, 1}));
}

TEST_F(HostContract, WithoutADocumentContextTheKindOfTheDocumentStaysAsItWas) {
  SellConsignedGoodsFromWarehouse3();
  shop.OpenDocumentDialog();
  host.On("HostCurrentContext", [](hostsim::HostCall&) -> uint32_t { return 0; });
  const int record = shop.EnterAndAccept("FS 12/12/2026", 7, {{3, "obraz"}}, 10.0);
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 1) << "the kind known before was lost";
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(record).ConversionPending, 0);

  // A dialog that never had a context: no kind, nothing marked.
  shop.OpenDocumentDialog();
  const int other = shop.EnterAndAccept("FS 13/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 10.0);
  shop.CloseDocumentDialog();
  EXPECT_EQ(shop.StoredDocument(other).ConversionPending, 0);
  EXPECT_EQ(shop.StoredDocument(other).DocFlags, 0);
  EXPECT_GE(host.CountCalls("HostCurrentContext"), 4);
  int reachedHost = 0;
  for (const hostsim::HostEventCall& call : hostsim::SimCommands::OwnHandlerCalls()) reachedHost += call.event == 815;
  EXPECT_EQ(reachedHost, 6);
}

TEST_F(HostContract, TheNoticeSettingIsWrittenBackAsTheSigned16BitValueTheDialogLeft) {
  auto& settings = host.Use<hostsim::SimSettings>();
  ASSERT_EQ(module.Install(nullptr, nullptr), 0);
  const std::size_t noticesBefore = settings.StockDialogTexts().size();
  const std::vector<std::pair<int, std::string>> cases = {
      {0x00010000, "0"}, {0x7FFF0001, "1"}, {0x1234FFFF, "-1"}, {0x00018000, "-32768"}, {0x7FFF, "32767"}};
  for (const auto& [left, written] : cases) {
    SCOPED_TRACE(::testing::Message() << "value left in the stock dialog 0x" << std::hex << left);
    settings.Set("Kalwestrowka", "Pytaj", "0");
    settings.AnswerStockDialog(left);
    ASSERT_EQ(module.Register(0), 0);
    EXPECT_EQ(settings.Get("Kalwestrowka", "Pytaj"), written) << std::hex << left;
    ASSERT_EQ(module.Install(nullptr, nullptr), 0);
  }
  EXPECT_EQ(settings.StockDialogTexts().size(), noticesBefore + cases.size());
  ASSERT_EQ(module.Register(0), 0);  // for the fixture's uninstallation
}

// The callback of ModuleInstall, in place of the host's entry 30006.
std::vector<std::pair<int, int>> callbackCalls;
int __cdecl OtherCallback(int what, int value) {
  callbackCalls.emplace_back(what, value);
  return 0;
}

using Installation = kwtest::LoadedModuleTest;

TEST_F(Installation, TheCallbackGivenToModuleInstallReplacesTheOneFoundAtAttach) {
  ASSERT_TRUE(module.Load());
  callbackCalls.clear();
  ASSERT_EQ(module.Install(reinterpret_cast<const void*>(&OtherCallback), nullptr), 0);
  host.ClearCalls();
  EXPECT_EQ(module.Register(1), 0);

  EXPECT_THAT(callbackCalls, ElementsAre(std::pair{1, -1}));
  EXPECT_EQ(host.CountCalls("HostModuleCallback"), 0);
  // The callback did not say which features the host lacks: the word keeps its mark.
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_THAT(messages.Shown()[0].text, HasSubstr("0xFFFFFFFF"));
}

TEST_F(Installation, WithoutTheModulePathTheBindingDialogNamesTheModuleUnknown) {
  hostsim::ModuleFileNames::Intercept().Fail();
  host.Omit(52308);
  boxes.Answer({IDIGNORE});
  ASSERT_TRUE(module.Load());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text.rfind("W module  <nieznany> \nbrak wpisu  52308 \n", 0), 0u)
      << boxes.Shown()[0].text;
}

}  // namespace
