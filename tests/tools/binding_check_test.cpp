// What kalwcheck tells from an export table: built host libraries with
// ordinals left out, against the module's binding order and fallback rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "binding_check.h"
#include "host_interface_golden.h"
#include "pe_image_builder.h"

namespace kw::tools::test {
namespace {

namespace golden = kwtest::golden;

// A library exporting every ordinal of the host library but the left-out ones.
BindingCheck HostLibraryWithout(std::initializer_list<uint32_t> leftOut) {
  PeImagePlan plan;
  plan.ordinalBase = 20000;
  plan.ordinalCount = 33000;
  std::vector<uint32_t> all;
  for (const auto& item : golden::kHostDataItems) all.push_back(item.ordinal);
  for (const auto& entry : golden::kHostAttachEntries) all.push_back(entry.ordinal);
  for (const auto& function : golden::kHostFunctions) all.push_back(function.ordinal);
  for (const uint32_t ordinal : all) {
    if (std::find(leftOut.begin(), leftOut.end(), ordinal) == leftOut.end()) plan.exported.push_back(ordinal);
  }
  return CheckBinding(ReadPeExports(BuildPeImage(plan)));
}

const FunctionCheck& Function(const BindingCheck& check, uint16_t ordinal) {
  for (const FunctionCheck& function : check.functions) {
    if (function.entry.ordinal == ordinal) return function;
  }
  throw std::runtime_error("no such function");
}

TEST(BindingCheck, EverythingPresent) {
  const BindingCheck check = HostLibraryWithout({});
  EXPECT_EQ(check.status, CheckStatus::AllPresent);
  for (const FunctionCheck& function : check.functions) {
    EXPECT_EQ(function.atLoad, AtLoad::Bound) << "ordinal " << function.entry.ordinal;
  }
  // Every function in binding order, with its name.
  const auto& functions = golden::kHostFunctions;
  ASSERT_EQ(check.functions.size(), std::size(functions));
  for (std::size_t i = 0; i < std::size(functions); ++i) {
    SCOPED_TRACE("binding step " + std::to_string(i));
    EXPECT_EQ(check.functions[i].entry.ordinal, functions[i].ordinal);
    EXPECT_STREQ(check.functions[i].entry.name, functions[i].name);
  }
  EXPECT_EQ(check.exportCount, static_cast<int>(golden::kHostOrdinalCount));
  EXPECT_EQ(check.verdict, "WYNIK 0: są wszystkie wpisy, których moduł potrzebuje; moduł się załaduje.");
}

TEST(BindingCheck, MissingFunctionsWithFallbacksLoadAfterIgnore) {
  // 52256 (row 71) is the first missing one: the dialog; 52204 (row 88) comes
  // after Ignore without one. 52204's digits say 4 bytes, the catalogue 16.
  const BindingCheck check = HostLibraryWithout({52204, 52256});
  EXPECT_EQ(check.status, CheckStatus::LoadsAfterIgnore);
  const FunctionCheck& first = Function(check, 52256);
  EXPECT_EQ(first.atLoad, AtLoad::Dialog);
  EXPECT_EQ(FallbackText(first), "zaślepka: zwraca 0, zdejmuje 4 bajty");
  const FunctionCheck& second = Function(check, 52204);
  EXPECT_EQ(second.atLoad, AtLoad::Silent);
  EXPECT_EQ(FallbackText(second), "zaślepka: zwraca 0, zdejmuje 16 bajtów");
  EXPECT_EQ(Function(check, 52407).atLoad, AtLoad::Bound);
  EXPECT_EQ(check.verdict,
            "WYNIK 1: moduł się załaduje dopiero po odpowiedzi „Ignoruj” w oknie „POWAŻNY BŁĄD WTYCZKI”; brakujące "
            "funkcje (52256, 52204) zastąpią zaślepki zwracające 0.");
}

TEST(BindingCheck, FallbacksOfEachKind) {
  struct Case {
    uint16_t ordinal;
    const char* text;
  };
  const Case cases[] = {
      {52224, "zaślepka: zwraca 0, argumenty zdejmuje wywołujący"},     // __cdecl, digits 24
      {32300, "zaślepka: zwraca 0, nie zdejmuje argumentów ze stosu"},  // no arguments, digits 00
      {52328, "zaślepka: zwraca 0, zdejmuje 24 bajty"},                 // digits 28, catalogue 24
      {20936, "zaślepka: zwraca 0, zdejmuje 8 bajtów"},                 // __thiscall, digits 36, catalogue 8
      {52030, "bez zaślepki: ładowanie modułu się nie powiedzie"},     // digits 30: not a multiple of 4
      {37996, "bez zaślepki: ładowanie modułu się nie powiedzie"},     // digits 96: no such fallback
      {30017, "bez zaślepki: ładowanie modułu się nie powiedzie"},
  };
  for (const Case& c : cases) {
    const BindingCheck check = HostLibraryWithout({c.ordinal});
    const FunctionCheck& function = Function(check, c.ordinal);
    EXPECT_EQ(function.atLoad, AtLoad::Dialog) << c.ordinal;
    EXPECT_EQ(FallbackText(function), c.text) << c.ordinal;
    const bool loads = std::string(c.text).starts_with("zaślepka");
    EXPECT_EQ(check.status, loads ? CheckStatus::LoadsAfterIgnore : CheckStatus::CannotLoad) << c.ordinal;
  }
}

TEST(BindingCheck, FunctionWithoutFallbackEndsTheLoad) {
  // 52029 (row 3) fails the load after Ignore; 52256 (row 71) is never bound.
  const BindingCheck check = HostLibraryWithout({52029, 52256});
  EXPECT_EQ(check.status, CheckStatus::CannotLoad);
  EXPECT_EQ(Function(check, 52029).atLoad, AtLoad::Dialog);
  EXPECT_EQ(Function(check, 52256).atLoad, AtLoad::NotReached);
  EXPECT_EQ(check.verdict,
            "WYNIK 2: moduł się nie załaduje: brak funkcji 52029, której po „Ignoruj” nie zastąpi żadna zaślepka "
            "(brakuje funkcji: 52029, 52256).");

  // The other way round: a fallback first, the failing one after Ignore.
  const BindingCheck later = HostLibraryWithout({52256, 52084});
  EXPECT_EQ(later.status, CheckStatus::CannotLoad);
  EXPECT_EQ(Function(later, 52256).atLoad, AtLoad::Dialog);
  EXPECT_EQ(Function(later, 52084).atLoad, AtLoad::Silent);
  EXPECT_NE(later.verdict.find("brak funkcji 52084,"), std::string::npos) << later.verdict;
}

TEST(BindingCheck, MissingDataItemStopsTheSystemLoader) {
  const BindingCheck check = HostLibraryWithout({20978});
  ASSERT_EQ(check.status, CheckStatus::CannotLoad) << check.verdict;
  EXPECT_FALSE(check.dataItems[1].present);
  EXPECT_TRUE(check.dataItems[0].present);
  EXPECT_EQ(check.verdict, "WYNIK 2: moduł się nie załaduje: brak danych 20978, więc system odmówi załadowania modułu.");
}

TEST(BindingCheck, EntriesTakenAtAttachAreNotNeededToLoad) {
  const BindingCheck check = HostLibraryWithout({30006, 30007});
  ASSERT_EQ(check.status, CheckStatus::AllPresent) << check.verdict;
  EXPECT_FALSE(check.entries[0].present);
  EXPECT_FALSE(check.entries[1].present);
  EXPECT_EQ(check.verdict,
            "WYNIK 0: moduł się załaduje bez pytań; brak tylko wpisów pobieranych przy dołączeniu (30006, 30007).");
}

TEST(BindingCheck, NotAHostLibrary) {
  PeImagePlan plan;
  plan.ordinalCount = 3;
  plan.exported = {1, 2, 3};
  const BindingCheck other = CheckBinding(ReadPeExports(BuildPeImage(plan)));
  EXPECT_EQ(other.status, CheckStatus::NotHostLibrary);
  EXPECT_EQ(other.verdict, "WYNIK 3: to nie jest 32-bitowa biblioteka programu TALMER.dll: biblioteka nie eksportuje "
                           "żadnego wpisu programu (3 innych wpisów).");

  const std::vector<uint8_t> text = {'M', 'Z'};
  const BindingCheck broken = CheckBinding(ReadPeExports(text));
  EXPECT_EQ(broken.status, CheckStatus::NotHostLibrary);
  EXPECT_TRUE(broken.functions.empty());
}

}  // namespace
}  // namespace kw::tools::test
