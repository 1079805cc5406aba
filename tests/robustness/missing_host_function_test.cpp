// Every host function of the catalogue taken out of TALMER.dll in turn, the
// binding failure answered Ignore: the module either fails its load cleanly,
// where no fallback fits the entry, or lives through the demo's whole story on
// the fallback's zero answers.
#include "demo_story.h"
#include "host_interface_golden.h"
#include "test_support.h"

namespace {

// Whether the module loads without a host function once Ignore is answered:
// its ordinal's last two digits name a fallback that fits, 99 (the caller
// removes the arguments) or a multiple of 4 up to 56 (the fallbacks remove 0
// to 14 times 4 bytes). Written out here by itself, apart from the module's
// rule, so that a new host function is expected to be lived without exactly
// when its digits say so.
bool LoadsWithout(int ordinal) {
  const int digits = ordinal % 100;
  return digits == 99 || (digits % 4 == 0 && digits <= 56);
}

class MissingHostFunction : public kwtest::HostTest, public ::testing::WithParamInterface<int> {};

TEST_P(MissingHostFunction, FailsTheLoadCleanlyOrLivesThroughTheWholeStory) {
  const int ordinal = GetParam();
  host.Omit(static_cast<uint16_t>(ordinal));
  boxes.Answer({IDIGNORE});
  hostsim::StoryOptions options;
  options.goOnWhenRefused = true;

  const hostsim::StoryOutcome outcome = hostsim::RunForeignSaleStory(host, options);

  ASSERT_EQ(boxes.Shown().size(), 1u) << "one binding failure dialog";
  if (!LoadsWithout(ordinal)) {
    EXPECT_FALSE(outcome.loaded);
    // Only the dialog's texts were converted; nothing else reached the host.
    for (const hostsim::CallRecord& call : host.Calls()) {
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
