// The warning box and its line in the module log.
#include "sim_files.h"
#include "sim_messages.h"
#include "test_support.h"
#include "warnings.h"

using ::testing::ElementsAre;

namespace {

class Warnings : public kwtest::ModuleCodeTest {
 protected:
  std::vector<std::string> Log() const { return files.LogLines("Kalwestrowka.log"); }

  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
};

TEST_F(Warnings, TheBoxComesFirstThenOneTimeStampedLineInWindowsLetters) {
  const std::string text = kwtest::Mazovia("Zażółć gęślą jaźń!\nOperacja niekompletna!");
  kw::WarnAndLog(text.c_str());

  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "Uwaga");
  EXPECT_EQ(messages.Shown()[0].text, text);
  EXPECT_EQ(messages.Shown()[0].style, 1);
  EXPECT_THAT(Log(), ElementsAre(kwtest::Windows1250("07.12.2026-10:15:00 Zażółć gęślą jaźń!\nOperacja niekompletna!")));

  std::vector<std::string> order;
  for (const auto& call : host.Journal()) order.push_back(call.name);
  EXPECT_THAT(order, ElementsAre("HostMessageBox", "HostGetTimeText", "HostGetDateText", "HostConvertText",
                                 "HostAppendLog"));
}

TEST_F(Warnings, TwoWarningsGiveTwoLinesInTheirOrder) {
  kw::WarnAndLog("pierwsze");
  kw::WarnAndLog("drugie");
  EXPECT_THAT(Log(), ElementsAre("07.12.2026-10:15:00 pierwsze", "07.12.2026-10:15:00 drugie"));
}

TEST_F(Warnings, AnEmptyMessageStillGivesABoxAndALineEndingInTheBlank) {
  kw::WarnAndLog("");
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].text, "");
  EXPECT_THAT(Log(), ElementsAre("07.12.2026-10:15:00 "));
}

TEST_F(Warnings, AMessageLongerThanTheLineIsCutNotOverrun) {
  const std::string text(6000, 'x');
  kw::WarnAndLog(text.c_str());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0], "07.12.2026-10:15:00 " + std::string(4095 - 20, 'x'));
  EXPECT_EQ(messages.Shown()[0].text, text);
}

}  // namespace
