// Every host function of the catalogue taken out of TALMER.dll in turn, the
// binding failure answered Ignore: the module either fails its load cleanly,
// where no fallback fits the entry, or lives through the demo's whole story on
// the fallback's zero answers.
#include <algorithm>
#include <set>

#include "demo_story.h"
#include "host_interface_golden.h"
#include "test_support.h"

namespace {

// The entries whose ordinal digits name a fallback that fits: the module
// loads without them.
const std::set<int> kLoadsWithout = {
    52224, 32300, 32408, 30204, 30308, 52020, 52028, 35804, 52308, 20936, 20948,
    20952, 20956, 20940, 20944, 24004, 52256, 50516, 52204, 52328, 50704,
};

class MissingHostFunction : public kwtest::HostTest, public ::testing::WithParamInterface<int> {};

bool IsHostFunction(int ordinal) {
  return std::any_of(std::begin(kwtest::golden::kHostFunctions), std::end(kwtest::golden::kHostFunctions),
                     [ordinal](const kwtest::golden::HostFunction& function) { return function.ordinal == ordinal; });
}

TEST_P(MissingHostFunction, FailsTheLoadCleanlyOrLivesThroughTheWholeStory) {
  const int ordinal = GetParam();
  // A listed entry that is no host function would never be taken out.
  for (const int listed : kLoadsWithout) ASSERT_TRUE(IsHostFunction(listed)) << "listed entry " << listed;
  host.Omit(static_cast<uint16_t>(ordinal));
  boxes.Answer({IDIGNORE});
  hostsim::StoryOptions options;
  options.goOnWhenRefused = true;

  const hostsim::StoryOutcome outcome = hostsim::RunForeignSaleStory(host, options);

  ASSERT_EQ(boxes.Shown().size(), 1u) << "one binding failure dialog";
  if (!kLoadsWithout.count(ordinal)) {
    EXPECT_FALSE(outcome.loaded);
    // Only the dialog's texts were converted; nothing else reached the host.
    for (const hostsim::JournalEntry& call : host.Journal()) {
      EXPECT_EQ(call.name, "HostConvertText") << "ordinal " << ordinal;
    }
    EXPECT_EQ(host.CountCalls("HostRegisterClass"), 0);
    return;
  }
  EXPECT_TRUE(outcome.loaded);
  EXPECT_TRUE(outcome.ranToEnd);
  EXPECT_EQ(host.Use<hostsim::SimMessages>().OpenWaitBoxes(), 0);
}

// Every host function of the golden list, in binding order.
std::vector<int> HostFunctionOrdinals() {
  std::vector<int> ordinals;
  for (const kwtest::golden::HostFunction& function : kwtest::golden::kHostFunctions) {
    ordinals.push_back(function.ordinal);
  }
  return ordinals;
}

INSTANTIATE_TEST_SUITE_P(EachOrdinal, MissingHostFunction, ::testing::ValuesIn(HostFunctionOrdinals()),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
