// Kalwestrowka.dll loaded into the simulated host: start-up, the binding of the
// host functions with its failure dialog, and the entries 30009 and 30010.
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "lookup_counter.h"
#include "plugin_module.h"
#include "test_support.h"

#include "host_catalogue.h"
#include "host_interface_golden.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::HasSubstr;

namespace {

class ModuleLoad : public kwtest::HostTest {
 protected:
  void TearDown() override {
    module.Unload();
    HostTest::TearDown();
  }

  HMODULE Talmer() const { return GetModuleHandleA("TALMER.dll"); }
  std::string ExpectedBindFailureText(const std::string& entry) const {
    return kwtest::Windows1250("W module  " + hostsim::PluginModule::PathNextToProgram() + " \nbrak wpisu  " + entry +
                               " \nWywołano z wtyczki  Obsłuż sprzedaż obcą. .\n\n"
                               "Błąd ten można zignorować lecz dalsza praca\n"
                               "programu w tych warunkach może być niebezpieczna.\n\n"
                               "Konieczna jest aktualizacja programu!");
  }

  // The lookups in the host library and the host calls noted among them, in
  // order; the system's own lookups (Wine's, the C runtime's) left out.
  static std::vector<std::string> HostSequence(const hostsim::LookupCounter& lookups) {
    std::vector<std::string> sequence;
    for (const std::string& event : lookups.Sequence()) {
      if (event.find("TALMER") != std::string::npos || event.rfind("Host", 0) == 0) sequence.push_back(event);
    }
    return sequence;
  }

  hostsim::PluginModule module;
};


// What the module asks of the system and the host while it loads, in order:
// the host library and its two attach entries (the attach work), every host
// function (the start-up steps of the catalogue), then the two class
// registrations. The same before and after the DLL got its own start-up.
TEST_F(ModuleLoad, BindsEveryHostFunctionOnceInCatalogueOrderThenRegistersTheClasses) {
  auto& lookups = hostsim::LookupCounter::Intercept();
  lookups.Clear();
  *SimClassDataCell(20978) = 0x1111;
  *SimClassDataCell(20968) = 0x2222;
  host.On("HostRegisterClass", [&lookups](hostsim::HostCall& call) -> uint32_t {
    lookups.Note("HostRegisterClass(" + call.Text(1) + ")");
    return 0;
  });

  ASSERT_TRUE(module.Load());

  std::vector<std::string> expected = {"GetModuleHandleA(TALMER)", "GetProcAddress(TALMER.dll, 30006)",
                                       "GetProcAddress(TALMER.dll, 30007)"};
  // Every host function in binding order (written out in the golden list);
  // HostRegisterClass (30017), the last, is bound on its first call by the
  // first class registration.
  for (const auto& function : kwtest::golden::kHostFunctions) {
    expected.push_back("GetProcAddress(TALMER.dll, " + std::to_string(function.ordinal) + ")");
  }
  expected.push_back("HostRegisterClass(ThunkAllocator)");
  expected.push_back("HostRegisterClass(WDialogBase)");
  EXPECT_EQ(HostSequence(lookups), expected);
  EXPECT_THAT(host.Trace(), ElementsAre(HasSubstr("HostRegisterClass("),
                                        HasSubstr("HostRegisterClass(")));
  const auto registrations = host.CallsTo("HostRegisterClass");
  ASSERT_EQ(registrations.size(), 2u);
  EXPECT_EQ(registrations[0].args[0], reinterpret_cast<uint32_t>(module.handle()));
  EXPECT_EQ(registrations[0].Text(1), "ThunkAllocator");
  EXPECT_EQ(registrations[0].args[2], 0x1111u);
  EXPECT_EQ(registrations[0].args[3], 0x103u);
  EXPECT_EQ(registrations[1].Text(1), "WDialogBase");
  EXPECT_EQ(registrations[1].args[2], 0x2222u);
  EXPECT_EQ(registrations[1].args[3], 0x101u);
  EXPECT_THAT(boxes.Shown(), IsEmpty());

  // Unloading asks nothing more of the host.
  module.Unload();
  EXPECT_EQ(HostSequence(lookups), expected);
  EXPECT_EQ(host.Calls().size(), 2u);
}

TEST_F(ModuleLoad, ExtraEntriesAnswerWithoutHandlers) {
  ASSERT_TRUE(module.Load());
  EXPECT_EQ(module.ExtraOneArg(5), -1234567890);
  EXPECT_EQ(module.ExtraOneArg(-1), -1234567890);
  EXPECT_EQ(module.ExtraNoArgs(), 0u);
  EXPECT_EQ(module.ExtraNoArgs({1, 2, 3}), 0u);  // the caller removes what it passed
}

TEST_F(ModuleLoad, RetryShowsTheSameBoxAgainWithoutAnotherLookupUntilIgnore) {
  auto& lookups = hostsim::LookupCounter::Intercept();
  lookups.Clear();
  host.Omit(52308);
  boxes.Answer({IDRETRY, IDRETRY, IDRETRY, IDIGNORE});

  ASSERT_TRUE(module.Load());

  ASSERT_EQ(boxes.Shown().size(), 4u);
  for (std::size_t i = 0; i < boxes.Shown().size(); ++i) {
    SCOPED_TRACE("box " + std::to_string(i));
    EXPECT_EQ(boxes.Shown()[i].text, boxes.Shown()[0].text);
    EXPECT_EQ(boxes.Shown()[i].style, 0x2012u);
  }
  const auto ordinals = lookups.ProcLookupsIn(Talmer());
  EXPECT_EQ(std::count(ordinals.begin(), ordinals.end(), 52308), 1);
}

TEST_F(ModuleLoad, BindFailureDialogNamesModuleEntryAndDescriptionInWindowsLetters) {
  host.Omit(52308);
  boxes.Answer({IDIGNORE});

  ASSERT_TRUE(module.Load());

  ASSERT_EQ(boxes.Shown().size(), 1u);
  const hostsim::WindowsBox& box = boxes.Shown()[0];
  EXPECT_EQ(box.title, kwtest::Windows1250("POWAŻNY BŁĄD WTYCZKI"));
  EXPECT_EQ(box.text, ExpectedBindFailureText("52308"));
  EXPECT_EQ(box.text.find('\x01'), std::string::npos);
  EXPECT_EQ(box.text.find('\x02'), std::string::npos);
  EXPECT_EQ(box.style, 0x2012u);
}

TEST_F(ModuleLoad, AfterOneIgnoreLaterGapsTakeFallbacksSilently) {
  host.Omit(52308);
  host.Omit(52256);
  host.Omit(52224);
  boxes.Answer({IDIGNORE});

  ASSERT_TRUE(module.Load());
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(ModuleLoad, AbortFailsTheLoadAndStopsTheBinding) {
  auto& lookups = hostsim::LookupCounter::Intercept();
  lookups.Clear();
  host.Omit(52158 /* HostConvertText, fourth */);
  boxes.Answer({IDABORT});

  EXPECT_FALSE(module.Load());

  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(HostSequence(lookups),
            (std::vector<std::string>{"GetModuleHandleA(TALMER)", "GetProcAddress(TALMER.dll, 30006)",
                                      "GetProcAddress(TALMER.dll, 30007)", "GetProcAddress(TALMER.dll, 30018)",
                                      "GetProcAddress(TALMER.dll, 35802)", "GetProcAddress(TALMER.dll, 52029)",
                                      "GetProcAddress(TALMER.dll, 52158)"}))
      << "binding went on after the abort";
  EXPECT_EQ(host.CountCalls("HostRegisterClass"), 0);
}

TEST_F(ModuleLoad, MissingConverterStillGivesPolishLettersInTheDialog) {
  host.Omit(52158);  // no fallback fits 58 bytes: the load fails after the dialog
  boxes.Answer({IDIGNORE});

  EXPECT_FALSE(module.Load());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, kwtest::Windows1250("POWAŻNY BŁĄD WTYCZKI"));
  EXPECT_EQ(boxes.Shown()[0].text, ExpectedBindFailureText("52158"));
}

TEST_F(ModuleLoad, AGapWithoutAFittingFallbackFailsTheLoadEvenAfterIgnore) {
  host.Omit(52029);  // 29 is not a multiple of 4
  boxes.Answer({IDIGNORE});
  EXPECT_FALSE(module.Load());
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(ModuleLoad, ClassRegistrationWithoutHostRegisterClassFailsCleanly) {
  host.Omit(30017);
  boxes.Answer({IDABORT});
  EXPECT_FALSE(module.Load());
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(ModuleLoad, ARefusedClassRegistrationFailsTheLoad) {
  host.On("HostRegisterClass", [](hostsim::HostCall&) -> uint32_t { return 7; });
  EXPECT_FALSE(module.Load());
  EXPECT_EQ(host.CountCalls("HostRegisterClass"), 1) << "WDialogBase must not follow a failed ThunkAllocator";
}

TEST_F(ModuleLoad, IgnoredHostGetTableLeavesTheInstallingHostsStackIntact) {
  host.Omit(52256);  // its digits say 56 bytes, its callers pass 4
  boxes.Answer({IDIGNORE});
  host.On("HostGetInterfaceVersion", [](hostsim::HostCall&) -> uint32_t { return 112; });
  ASSERT_TRUE(module.Load());

  char description[32] = {};
  const void* callback = reinterpret_cast<const void*>(GetProcAddress(Talmer(), MAKEINTRESOURCEA(30006)));
  EXPECT_EQ(module.Install(callback, description), -1);  // no tables from the stand-in
  EXPECT_EQ(std::string(description), kwtest::Mazovia("Obsłuż sprzedaż obcą."));
  // HostTearDown checks that ModuleInstall returned with a balanced stack.
}

}  // namespace
