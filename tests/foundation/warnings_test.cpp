// The warning box and its line in the module log; the lines of the journal.
#include <cmath>
#include <limits>
#include <regex>

#include "journal.h"
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

// The journal's lines, written through the same host log service.
using JournalLines = Warnings;

TEST_F(Warnings, TheBoxComesFirstThenOneTimeStampedLineInWindowsLetters) {
  const std::string text = kwtest::Mazovia("Zażółć gęślą jaźń!\nOperacja niekompletna!");
  kw::WarnAndLog(text.c_str());

  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].title, "Uwaga");
  EXPECT_EQ(messages.Shown()[0].text, text);
  EXPECT_EQ(messages.Shown()[0].style, 1);
  EXPECT_THAT(Log(), ElementsAre(kwtest::Windows1250("07.12.2026-10:15:00 Zażółć gęślą jaźń!\nOperacja niekompletna!")));

  std::vector<std::string> order;
  for (const auto& call : host.Calls()) order.push_back(call.name);
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

// The journal's forms: amounts with a decimal comma and two decimals,
// rounded half away from zero, none for what is not a finite number below
// 10^15; words in hex; numbers.
TEST_F(JournalLines, FieldsTakeTheJournalsForms) {
  const struct {
    double value;
    const char* text;
  } amounts[] = {
      {0.0, "0,00"},        {-0.0, "0,00"},         {0.004, "0,00"},
      {0.005, "0,01"},      {0.05, "0,05"},         {1230.0, "1230,00"},
      {-12.5, "-12,50"},    {-0.001, "0,00"},       {1234567.891, "1234567,89"},
      {99999999.996, "100000000,00"},               {1000000000.0, "1000000000,00"},
      {123456789012.34, "123456789012,34"},         {999999999999999.0, "999999999999999,00"},
      {1e15, ""},           {-1e15, ""},            {std::numeric_limits<double>::infinity(), ""},
      {std::nan(""), ""},
  };
  for (const auto& amount : amounts) {
    char text[kw::kAmountTextSize];
    kw::AmountText(amount.value, text);
    EXPECT_STREQ(text, amount.text) << "the amount " << amount.value;
  }
  char word[kw::kWordTextSize];
  kw::WordText(0x0400, word);
  EXPECT_STREQ(word, "0x0400");
  kw::WordText(0xFFFF, word);
  EXPECT_STREQ(word, "0xFFFF");
  char number[kw::kNumberTextSize];
  kw::NumberText(-2147483647 - 1, number);
  EXPECT_STREQ(number, "-2147483648");
}

// A line: the computer's date and time, the event, then the seven fields,
// always ten, the identity empty for none; a field with ";" or a quote in
// quotes with its quotes doubled, line breaks as blanks; the Polish letters
// in the Windows code page.
TEST_F(JournalLines, ALineHasTenFieldsQuotedWhereNeeded) {
  const std::string number = kwtest::Mazovia("FS \"12\";ż\n1");
  kw::JournalFields fields;
  fields.document = number.c_str();
  fields.amount = "12,50";
  const std::string texts = kwtest::Mazovia("Łąka; \"Zbyszko\"");
  fields.description = texts.c_str();
  kw::AppendJournal(kw::JournalEvent::EntryLeft, fields);
  kw::JournalFields identified;
  identified.identity = -2147483647 - 1;
  kw::AppendJournal(kw::JournalEvent::ChoiceSaved, identified);

  const std::vector<std::string> lines = files.LogLines(kw::kJournalFile);
  ASSERT_EQ(lines.size(), 2u);
  const std::regex dated(R"(^\d{4}-\d{2}-\d{2};\d{2}:\d{2}:\d{2};(.*)$)");
  std::smatch first, second;
  ASSERT_TRUE(std::regex_match(lines[0], first, dated)) << lines[0];
  EXPECT_EQ(first[1].str(),
            kwtest::Windows1250("POZOSTAWIONO_W_JPK;\"FS \"\"12\"\";ż 1\";12,50;;\"Łąka; \"\"Zbyszko\"\"\";;;"));
  ASSERT_TRUE(std::regex_match(lines[1], second, dated)) << lines[1];
  EXPECT_EQ(second[1].str(), "KONFIGURACJA;;;;;;;-2147483648");
  EXPECT_TRUE(Log().empty()) << "the journal's lines went into the module log";
}

}  // namespace

