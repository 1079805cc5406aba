// The module as the host uses it: loaded, installed and registered through its
// exports, then driven only through the command, the event hooks and the table
// handler it registered, and finally uninstalled.
#include <algorithm>
#include <cstring>

#include "demo_story.h"
#include "journal_format.h"
#include "registered_module.h"
#include "sim_settings.h"
#include "system_clock.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ForeignSaleStory : public kwtest::InstalledModuleTest {
 protected:
  bool InModule(const void* address) const {
    HMODULE owner = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(address), &owner);
    return owner && owner == module.handle();
  }
  std::vector<std::string> CallNames() const {
    std::vector<std::string> names;
    for (const auto& entry : host.Calls()) names.push_back(entry.name);
    return names;
  }

  // The ids the module unregistered, in order; the ids of the module's table.
  std::vector<uint32_t> UnregisteredCommands() const {
    std::vector<uint32_t> ids;
    for (const auto& call : host.CallsTo("HostUnregisterCommand")) ids.push_back(call.args[0]);
    return ids;
  }
  static std::vector<uint32_t> RegisteredIds() {
    std::vector<uint32_t> ids;
    for (const kwtest::ModuleCommand& command : kwtest::kModuleCommands) ids.push_back(command.id);
    return ids;
  }

  hostsim::SimSettings& settings = host.Use<hostsim::SimSettings>();
};

TEST_F(ForeignSaleStory, RegistrationPlantsTheHandlerCommandAndHooksThenShowsTheNotice) {
  host.ClearCalls();
  EXPECT_EQ(module.Register(0), 0);

  EXPECT_TRUE(InModule(reinterpret_cast<const void*>(tables.Find(400)->EventHandler)));
  // Every command of the module's table, in its order.
  ASSERT_EQ(commands.Commands().size(), std::size(kwtest::kModuleCommands));
  for (std::size_t i = 0; i < commands.Commands().size(); ++i) {
    SCOPED_TRACE("command " + std::to_string(i));
    EXPECT_EQ(commands.Commands()[i].id, kwtest::kModuleCommands[i].id);
    EXPECT_EQ(commands.Commands()[i].menuText, kwtest::Mazovia(kwtest::kModuleCommands[i].menuText));
    EXPECT_TRUE(InModule(commands.Commands()[i].handler));
  }
  ASSERT_EQ(commands.Hooks(1664).size(), 1u);
  ASSERT_EQ(commands.Hooks(815).size(), 1u);
  EXPECT_TRUE(InModule(commands.Hooks(1664)[0]));
  EXPECT_TRUE(InModule(commands.Hooks(815)[0]));
  EXPECT_THAT(settings.StockDialogTexts(), ElementsAre(kwtest::Mazovia("Zainstalowano wtyczkę: Obsłuż sprzedaż obcą.")));
  const std::vector<std::string> names = CallNames();
  const auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
  EXPECT_LT(at("HostRegisterCommand"), at("HostRegisterEventHook"));
  EXPECT_LT(at("HostRegisterEventHook"), at("HostRunStockDialog"));
  EXPECT_EQ(host.CallsTo("HostRegisterEventHook")[0].args[0], 1664u);
  EXPECT_EQ(host.CallsTo("HostRegisterEventHook")[1].args[0], 815u);
}

TEST_F(ForeignSaleStory, ARegisterWithOtherRecordLengthsRefusesRegistrationAndTheDiagnosisSaysWhy) {
  tables.Define(400, 1171);
  jpk.InstallPreviousHandler();
  const auto hostHandler = tables.Find(400)->EventHandler;

  EXPECT_EQ(module.Register(0), -1);

  EXPECT_THAT(settings.ReportedErrors(), ElementsAre(kwtest::Mazovia("Program wymaga nowszej wtyczki!")));
  EXPECT_EQ(tables.Find(400)->EventHandler, hostHandler);
  EXPECT_THAT(commands.Commands(), IsEmpty());
  EXPECT_THAT(commands.Hooks(815), IsEmpty());
  EXPECT_THAT(settings.StockDialogTexts(), IsEmpty());

  EXPECT_EQ(module.Register(1), 0);
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_NE(messages.Shown()[0].text.find("Ewid_JPK\t1170\t1171"), std::string::npos) << messages.Shown()[0].text;
}

TEST_F(ForeignSaleStory, UninstallationRemovesEverythingInOrderAndLeavesTheBuffer) {
  const auto hostHandler = tables.Find(400)->EventHandler;
  ASSERT_EQ(module.Register(0), 0);
  host.ClearCalls();
  char buffer[8] = "abcdefg";

  EXPECT_EQ(module.Install(nullptr, buffer), 0);

  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(tables.Find(400)->EventHandler, hostHandler);
  EXPECT_THAT(commands.Commands(), IsEmpty());
  EXPECT_THAT(commands.Hooks(1664), IsEmpty());
  EXPECT_THAT(commands.Hooks(815), IsEmpty());
  std::vector<std::string> expected(std::size(kwtest::kModuleCommands), "HostUnregisterCommand");
  expected.insert(expected.end(), {"HostUnregisterEventHook", "HostUnregisterEventHook"});
  EXPECT_EQ(CallNames(), expected);
  EXPECT_EQ(UnregisteredCommands(), RegisteredIds());
  EXPECT_EQ(host.CallsTo("HostUnregisterEventHook")[0].args[0], 1664u);
  EXPECT_EQ(host.CallsTo("HostUnregisterEventHook")[1].args[0], 815u);
}

TEST_F(ForeignSaleStory, UninstallationWithoutRegistrationOnlyAsksToRemoveTheCommand) {
  host.ClearCalls();
  EXPECT_EQ(module.Install(nullptr, nullptr), 0);
  EXPECT_EQ(CallNames(), std::vector<std::string>(std::size(kwtest::kModuleCommands), "HostUnregisterCommand"));
  EXPECT_EQ(UnregisteredCommands(), RegisteredIds());
}

TEST_F(ForeignSaleStory, FromTheConfigurationToTheStoredDocumentAndTheCleanRegister) {
  ASSERT_EQ(module.Register(0), 0);

  // The user flags warehouse 3 in the configuration dialog and confirms.
  auto& dialog = host.Use<hostsim::SimConfigDialog>();
  dialog.MarkInList({{3, 1}});
  dialog.Script({}, hostsim::kDialogOk);
  commands.Pick(kwtest::kConfigCommandId);
  const std::string config = host.Use<hostsim::SimFiles>().Read("komis.cfg").value_or("");
  ASSERT_EQ(config.size(), 202u);
  EXPECT_EQ(config[6], 1);

  // Two invoices in one document dialog: goods from warehouses 1 and 3, then from 1 only.
  shop.OpenDocumentDialog();
  const int consigned = shop.EnterAndAccept("FS 5/12/2026", hostsim::kSalesDocumentKind, {{1, "kawa"}, {3, "obraz"}},
                                            1230.0);
  const int own = shop.EnterAndAccept("FS 6/12/2026", hostsim::kSalesDocumentKind, {{1, "kawa"}}, 45.5);
  EXPECT_STREQ(shop.StoredDocument(consigned).DocNumber, ".");
  EXPECT_EQ(shop.StoredDocument(consigned).ConversionPending, 1);
  EXPECT_EQ(shop.StoredDocument(own).ConversionPending, 0);
  shop.CloseDocumentDialog();

  const kw::DocRecord& converted = shop.StoredDocument(consigned);
  EXPECT_EQ(std::string(converted.DocNumber), kwtest::Mazovia("FS 5/12/2026"));
  EXPECT_EQ(std::string(converted.DocNote), "Wtyczka Kalwestrowka");
  EXPECT_EQ(converted.ConversionPending, 0);
  EXPECT_EQ(converted.DocFlags & 0x400, 0x400);
  EXPECT_EQ(converted.TermsWord, hostsim::kTmoTerms);
  EXPECT_EQ(converted.SettledAmount, 0.0);
  EXPECT_EQ(converted.BalanceAmount, 1230.0);
  EXPECT_EQ(std::string(shop.StoredDocument(own).DocNumber), kwtest::Mazovia("FS 6/12/2026"));
  EXPECT_EQ(shop.StoredDocument(own).DocFlags, 0);
  EXPECT_EQ(messages.OpenWaitBoxes(), 0);

  // The host works on its JPK register: the entries of TMO go.
  shop.WorkOnJpkRegister();
  EXPECT_THAT(shop.RegisterList(), ElementsAre("FS 1/12/2026", "FS 4/12/2026"));
  ASSERT_EQ(jpk.PreviousCalls().size(), 1u);
  EXPECT_EQ(jpk.PreviousCalls()[0].args[0], 231u);
  EXPECT_THAT(jpk.Signals(), ElementsAre(-5));
}

TEST_F(ForeignSaleStory, EventsBeforeRegistrationAndAfterUninstallationNeverReachTheModule) {
  shop.OpenDocumentDialog();
  shop.CloseDocumentDialog();
  ASSERT_EQ(module.Register(0), 0);
  ASSERT_EQ(module.Install(nullptr, nullptr), 0);
  host.ClearCalls();
  shop.OpenDocumentDialog();
  shop.EnterAndAccept("FS 7/12/2026", hostsim::kSalesDocumentKind, {{3, "obraz"}}, 10.0);
  shop.CloseDocumentDialog();
  shop.WorkOnJpkRegister();
  EXPECT_EQ(host.CountCalls("HostConstructDialogBase"), 0);
  EXPECT_THAT(shop.RegisterList(), ElementsAre("FS 1/12/2026", "FS 2/12/2026", "FS 3/12/2026", "FS 4/12/2026"));
}

// The demo's story in the module's journal: the choice saved (komis.cfg
// could not be read before, so what was marked is not known), the invoice
// with consigned goods marked and converted (each field it changed), each
// line with its link id 100, TMO's two register entries removed; dated by
// the computer's clock, texts in the Windows code page.
class ForeignSaleStoryJournal : public kwtest::HostTest {};

TEST_F(ForeignSaleStoryJournal, RecordsEveryChangeTheModuleMadeLineForLine) {
  hostsim::SystemClock::Set({2026, 11, 1, 30, 18, 5, 9, 0});

  const hostsim::StoryOutcome outcome = hostsim::RunForeignSaleStory(host, {});

  ASSERT_TRUE(outcome.ranToEnd);
  const std::string tmo = kwtest::Windows1250("4711;Towary Mazowieckie Obce sp. z o.o. / ul. Łąkowa 5, Kraków;;;");
  EXPECT_THAT(host.Use<hostsim::SimFiles>().LogLines(kw::kJournalFile),
              ElementsAre("2026-11-30;18:05:09;KONFIGURACJA;;;;;nieznane;3;",
                          "2026-11-30;18:05:09;OZNACZONO;FS 5/12/2026;1230,00;;3;;;100",
                          "2026-11-30;18:05:09;ZAMIENIONO;FS 5/12/2026;1230,00;;;;;100",
                          "2026-11-30;18:05:09;ZMIANA;FS 5/12/2026;;;Numer;.;FS 5/12/2026;100",
                          "2026-11-30;18:05:09;ZMIANA;FS 5/12/2026;;;Flagi;0x0000;0x0400;100",
                          "2026-11-30;18:05:09;ZMIANA;FS 5/12/2026;;;Do zamiany;1;0;100",
                          "2026-11-30;18:05:09;ZMIANA;FS 5/12/2026;;;Warunki;0x0000;0x0200;100",
                          "2026-11-30;18:05:09;ZMIANA;FS 5/12/2026;;;Warunki dod.;0x0000;0x0007;100",
                          "2026-11-30;18:05:09;ZMIANA;FS 5/12/2026;;;Rozliczono;1230,00;0,00;100",
                          "2026-11-30;18:05:09;USUNIETO_Z_JPK;FS 2/12/2026;;" + tmo,
                          "2026-11-30;18:05:09;USUNIETO_Z_JPK;FS 3/12/2026;;" + tmo));
}

}  // namespace

