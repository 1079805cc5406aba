// Installing the module through entry 30001 and the "STOP!!!" explanation of
// a module the host did not activate, through entry 30008 with a nonzero flag.
#include <cstring>

#include "plugin_module.h"
#include "sim_installation.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"

using ::testing::ElementsAre;

namespace {

class ModuleInstall : public kwtest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(module.Load());
    host.ClearCalls();
  }
  void TearDown() override {
    module.Unload();
    HostTest::TearDown();
  }
  int Install(char* description = nullptr) {
    return module.Install(hostsim::SimInstallation::InstallCallback(), description);
  }
  // The one box of a diagnosis.
  hostsim::HostBox Diagnose() {
    EXPECT_EQ(module.Register(1), 0);
    EXPECT_EQ(messages.Shown().size(), 1u);
    return messages.Shown().empty() ? hostsim::HostBox{} : messages.Shown()[0];
  }
  static std::string Report(const std::string& lines) {
    return kwtest::Mazovia(
               "Rozmiary rekordów niektórych tabel nie zgadzają się\nmiędzy programem a wtyczką "
               "'Obsłuż sprzedaż obcą.' (moduł 'Kalwestrowka.dll'):\n\n"
               "\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n") +
           lines + kwtest::Mazovia("\nModuł \x02Kalwestrowka.dll\x01\nNIE zostanie załadowany!");
  }

  hostsim::PluginModule module;
  hostsim::SimInstallation& installation = host.Use<hostsim::SimInstallation>();
  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
};

TEST_F(ModuleInstall, ACompatibleHostGetsYesAndTheDescription) {
  char description[40];
  std::memset(description, '#', sizeof description);
  EXPECT_EQ(Install(description), 0);
  EXPECT_EQ(std::string(description, 22), kwtest::Mazovia("Obsłuż sprzedaż obcą.") + '\0');
  EXPECT_EQ(description[22], '#');
  const auto verify = host.CallsTo("HostVerifyModule");
  ASSERT_EQ(verify.size(), 1u);
  EXPECT_EQ(verify[0].args, (std::vector<uint32_t>{reinterpret_cast<uint32_t>(module.handle()), 0, 0}));
  std::vector<int> tablesAsked;
  for (const auto& call : host.CallsTo("HostGetTable")) tablesAsked.push_back(static_cast<int>(call.args[0]));
  EXPECT_THAT(tablesAsked, ElementsAre(44, 45, 49, 400));
}

TEST_F(ModuleInstall, WithoutADescriptionBufferTheChecksStillRun) {
  tables.Define(45, 514);
  EXPECT_EQ(Install(nullptr), -1);
  EXPECT_EQ(host.CountCalls("HostGetTable"), 4);
}

TEST_F(ModuleInstall, ALongerDocumentRecordIsRefusedAndReportedWithBothLengths) {
  tables.Define(44, 1270);
  EXPECT_EQ(Install(), -1);
  const hostsim::HostBox box = Diagnose();
  EXPECT_EQ(box.function, "HostMessageBoxFmtEx");
  EXPECT_EQ(box.title, "STOP!!!");
  EXPECT_EQ(box.text, Report("\x01tp25p40\x01Tspr\t1268\t1270\n"));
  const auto call = host.CallsTo("HostMessageBoxFmtEx").at(0);
  EXPECT_EQ(call.args[0], 30000u);
  EXPECT_EQ(call.Text(2), "%s");
  EXPECT_EQ(call.args[3], 0xF001u);
  EXPECT_EQ(call.args[4], 0x6E2Eu);
}

TEST_F(ModuleInstall, AMissingTableIsListedAsBrakAndEachMismatchOnlyOnce) {
  tables.Remove(49);
  tables.Define(400, 1169);
  EXPECT_EQ(Install(), -1);
  EXPECT_EQ(Install(), -1);  // declaring again keeps the list without repeats
  EXPECT_EQ(Diagnose().text, Report("\x01tp25p40\x01k9\t1024\tbrak\n\x01tp25p40\x01" "Ewid_JPK\t1170\t1169\n"));
}

TEST_F(ModuleInstall, AHostThatNeverWritesTheFeaturesWordStopsTheDiagnosisThere) {
  installation.NeverWriteMissingFeatures();
  tables.Define(44, 1270);
  EXPECT_EQ(Diagnose().text,
            kwtest::Mazovia("Program nie obsługuje cech 0xFFFFFFFF,\nktóre są niezbędne dla modułu "
                            "'Obsłuż sprzedaż obcą.'."));
}

TEST_F(ModuleInstall, TheHostWritesTheFeaturesItLacksIntoTheFrameBlock) {
  installation.SetMissingFeatures(0x00000204);
  EXPECT_EQ(Diagnose().text,
            kwtest::Mazovia("Program nie obsługuje cech 0x00000204,\nktóre są niezbędne dla modułu "
                            "'Obsłuż sprzedaż obcą.'."));
  ASSERT_NE(installation.FeaturesWord(), nullptr);
  const auto* module_begin = reinterpret_cast<const unsigned char*>(module.handle());
  EXPECT_GT(reinterpret_cast<const unsigned char*>(installation.FeaturesWord()), module_begin);
}

TEST_F(ModuleInstall, TheHostsOwnReasonIsShownWhenItRefusesTheModule) {
  installation.Refuse(kwtest::Mazovia("Licencja wygasła."));
  EXPECT_EQ(Install(), -1);
  EXPECT_EQ(Diagnose().text, kwtest::Mazovia("Licencja wygasła."));
  EXPECT_EQ(host.CallsTo("HostVerifyModule").back().args[2], 3072u);
}

TEST_F(ModuleInstall, AnotherInterfaceVersionNamesTheModuleFileTwice) {
  installation.SetInterfaceVersion(111);
  EXPECT_EQ(Install(), -1);
  const hostsim::HostBox box = Diagnose();
  EXPECT_EQ(box.function, "HostMessageBoxFmtEx");
  EXPECT_EQ(box.text, kwtest::Mazovia("Moduł \"Kalwestrowka.dll\" i program występują w różnych wersjach!\n\n"
                                      "Został zakualizowany tylko program albo tylko moduł,\n"
                                      "a nie oba jednocześnie! Aby naprawić tę sytuację\n"
                                      "zainstaluj aktualizację programu wraz z modułem \"Kalwestrowka.dll\".\n\n"
                                      "MODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n"));
}

TEST_F(ModuleInstall, WithNoReasonFoundTheModuleSaysItWasNotInitialised) {
  const hostsim::HostBox box = Diagnose();
  EXPECT_EQ(box.function, "HostMessageBoxFmt");
  EXPECT_EQ(box.title, "STOP!!!");
  EXPECT_EQ(box.text,
            kwtest::Mazovia("Moduł \"Kalwestrowka.dll\" nie został poprawnie zainicjowany,\nwięc NIE BĘDZIE AKTYWNY!"));
}

TEST_F(ModuleInstall, WithoutACallbackItIsTheUninstallationAndTheBufferStaysUntouched) {
  char buffer[8] = "abcdefg";
  EXPECT_EQ(module.Install(nullptr, buffer), 0);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(host.CountCalls("HostVerifyModule"), 0);
}

}  // namespace
