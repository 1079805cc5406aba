// kalwcheck's verdict against what the module really does: the simulated
// host's TALMER.dll as kalwcheck reads it from the file, with the same
// ordinals left out there as the simulated host leaves out of its export
// table, and Kalwestrowka.dll loaded with the user answering Ignore.
// Not the data items: where Windows refuses a module whose import is missing,
// Wine's loader puts a stub in its place and loads it.
#include <fstream>
#include <iterator>

#include "binding_check.h"
#include "plugin_module.h"
#include "test_support.h"

namespace {

using kw::tools::AtLoad;
using kw::tools::CheckStatus;

class KalwcheckAgrees : public kwtest::HostTest, public ::testing::WithParamInterface<std::vector<uint16_t>> {
 protected:
  void TearDown() override {
    module.Unload();
    HostTest::TearDown();
  }

  kw::tools::BindingCheck Check(const std::vector<uint16_t>& leftOut) {
    std::ifstream file("TALMER.dll", std::ios::binary);
    const std::vector<uint8_t> talmer{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    kw::tools::PeExports exports = kw::tools::ReadPeExports(talmer);
    EXPECT_TRUE(exports.valid) << exports.problem;
    for (const uint16_t ordinal : leftOut) exports.entries.at(ordinal - exports.ordinalBase).present = false;
    return kw::tools::CheckBinding(exports);
  }

  hostsim::PluginModule module;
};

TEST_P(KalwcheckAgrees, WithTheModuleLoadedAgainstTheSameExportTable) {
  const kw::tools::BindingCheck check = Check(GetParam());
  std::string dialogEntry;
  for (const kw::tools::FunctionCheck& function : check.functions) {
    if (function.atLoad == AtLoad::Dialog) dialogEntry = std::to_string(function.entry.ordinal);
  }

  for (const uint16_t ordinal : GetParam()) host.Omit(ordinal);
  boxes.Answer({IDIGNORE});
  const bool loaded = module.Load();

  EXPECT_EQ(loaded, check.status != CheckStatus::CannotLoad) << check.verdict;
  EXPECT_EQ(loaded && boxes.Shown().empty(), check.status == CheckStatus::AllPresent) << check.verdict;
  if (dialogEntry.empty()) {
    EXPECT_TRUE(boxes.Shown().empty());
  } else {
    ASSERT_EQ(boxes.Shown().size(), 1u);  // after Ignore, no second dialog
    EXPECT_NE(boxes.Shown()[0].text.find("brak wpisu  " + dialogEntry + " "), std::string::npos)
        << boxes.Shown()[0].text;
  }
}

std::string CaseName(const ::testing::TestParamInfo<std::vector<uint16_t>>& info) {
  std::string name = "Without";
  for (const uint16_t ordinal : info.param) name += "_" + std::to_string(ordinal);
  return info.param.empty() ? "Complete" : name;
}

INSTANTIATE_TEST_SUITE_P(LeftOut, KalwcheckAgrees,
                         ::testing::Values(std::vector<uint16_t>{}, std::vector<uint16_t>{52256},
                                           std::vector<uint16_t>{52224, 52256, 52204}, std::vector<uint16_t>{32300},
                                           std::vector<uint16_t>{52029, 52256}, std::vector<uint16_t>{52256, 52084},
                                           std::vector<uint16_t>{37996}, std::vector<uint16_t>{30017},
                                           std::vector<uint16_t>{30006, 30007}),
                         CaseName);

}  // namespace
