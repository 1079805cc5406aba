// kalwraport's reading of the journal's values and lines: the date, time and
// amount forms a host or a spreadsheet may give, quoted fields, and the
// Windows-1250 text (expected bytes written out from the code page's chart).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "journal_values.h"
#include "line_splitter.h"
#include "windows1250.h"

namespace kw::tools::test {
namespace {

TEST(JournalValues, DatesInEveryFormAndNoneOutsideTheCalendar) {
  const std::pair<const char*, JournalDay> cases[] = {
      {"2026-11-03", 20261103}, {"03.11.2026", 20261103}, {"3.11.2026", 20261103}, {"03-11-2026", 20261103},
      {"03/11/2026", 20261103}, {"2026.11.03", 20261103}, {"2026/11/3", 20261103},  {"03.11.26", 20261103},
      {"3/1/26", 20260103},     {" 2026-11-03 ", 20261103}, {"2024-02-29", 20240229}, {"31.12.1999", 19991231},
      {"2026-02-29", kNoDay},   {"2100-02-29", kNoDay},   {"2026-13-01", kNoDay},     {"2026-11-31", kNoDay},
      {"00.11.2026", kNoDay},   {"2026-11", kNoDay},      {"2026-11-03-01", kNoDay},  {"2026-11/03", kNoDay},
      {"26.11.03x", kNoDay},    {"26-11-03", 20031126},   {"202-11-03", kNoDay},      {"", kNoDay},
      {"11/03/2026 ", 20260311}, {"2026-011-03", kNoDay}, {"03.11.026", kNoDay},      {"1899-12-31", kNoDay},
  };
  for (const auto& [text, day] : cases) EXPECT_EQ(ParseJournalDay(text), day) << "\"" << text << "\"";
}

TEST(JournalValues, MonthsTimesAndTheirTexts) {
  JournalDay first = 0, last = 0;
  for (const char* text : {"2026-02", "02.2026", "2/2026", "2026/2"}) {
    EXPECT_TRUE(ParseMonth(text, first, last)) << text;
    EXPECT_EQ(std::make_pair(first, last), std::make_pair(20260201, 20260228)) << text;
  }
  EXPECT_TRUE(ParseMonth("2024-02", first, last));
  EXPECT_EQ(last, 20240229);
  for (const char* wrong : {"2026-13", "2026", "2026-11-01", "11.26", ""}) EXPECT_FALSE(ParseMonth(wrong, first, last)) << wrong;

  const std::pair<const char*, int32_t> times[] = {{"10:16:02", 36962}, {"00:00", 0},    {"9:05", 32700},
                                                   {"23:59:59", 86399}, {"24:00", -1},  {"10:60", -1},
                                                   {"10:16:60", -1},    {"10:5", -1},   {"101602", -1},
                                                   {"10:16:02:01", -1}, {"", -1},       {"10.16", -1}};
  for (const auto& [text, seconds] : times) EXPECT_EQ(ParseJournalTime(text), seconds) << "\"" << text << "\"";
  EXPECT_EQ(DayText(20260103), "2026-01-03");
  EXPECT_EQ(TimeText(32700), "09:05:00");
}

TEST(JournalValues, AmountsInGroszeExactly) {
  const std::pair<const char*, int64_t> good[] = {
      {"1230,00", 123000}, {"-12,50", -1250},   {"0,00", 0},           {"0,05", 5},       {"-0,05", -5},
      {"1230", 123000},    {"1230,5", 123050},  {"1230.99", 123099},   {"1 230,00", 123000},
      {"12\xA0" "345\xA0" "678,90", 1234567890}, {"1\xC2\xA0" "000,01", 100001},
      {"999999999999999,99", 99999999999999999}, {" 7,10 ", 710},
      {"1 234,56 z\xB3", 123456}, {"1\xC2\xA0" "234,56\xC2\xA0z\xC5\x82", 123456}, {"-7,00 z\xC5\x82", -700},
      {"1\xE2\x80\xAF" "000,00 PLN", 100000}, {"12,00z\xB3", 1200},
  };
  for (const auto& [text, grosze] : good) {
    int64_t value = -1;
    EXPECT_TRUE(ParseAmount(text, value)) << "\"" << text << "\"";
    EXPECT_EQ(value, grosze) << "\"" << text << "\"";
  }
  for (const char* bad : {"", "-", "12,", ",50", "12,345", "1,2,3", "12 34,00", "1234 567,00", "1 23,00",
                          "1000000000000000,00", "12a", "+5,00", "1.230,00", "--5", "5-", "z\xB3", "5 z\xB3 z\xB3"}) {
    int64_t value;
    EXPECT_FALSE(ParseAmount(bad, value)) << "\"" << bad << "\"";
  }
  EXPECT_EQ(AmountText(123000), "1230,00");
  EXPECT_EQ(AmountText(-5), "-0,05");
  EXPECT_EQ(AmountText(99999999999999999, '.'), "999999999999999.99");
  EXPECT_EQ(GroupedAmountText(-123456789), "-1 234 567,89");
  EXPECT_EQ(GroupedAmountText(99999), "999,99");

  const std::pair<const char*, int64_t> identities[] = {{"17", 17},         {" 4294967295 ", 4294967295}, {"-1", 4294967295},
                                                        {"-2147483648", 2147483648}, {"0", 0},         {"4294967296", -1},
                                                        {"-2147483649", -1}, {"1x", -1},               {"", -1}};
  for (const auto& [text, expected] : identities) {
    uint32_t id = 0;
    EXPECT_EQ(ParseIdentity(text, id) ? int64_t{id} : -1, expected) << "\"" << text << "\"";
  }
}

// What a split line tells the reader besides its kept bytes.
std::string LineFacts(const SplitLine& line) {
  std::string facts = std::to_string(line.count) + (line.extraHoldText ? " extra" : "") + (line.badQuote ? " bad" : "") +
                      (line.validUtf8 ? " utf8" : "") + " #" + std::to_string(DocumentHash(line));
  for (const SplitField& field : line.field) facts += " " + std::to_string(field.size) + "/" + std::to_string(field.utf8Chars);
  return facts;
}

// The line's fields (as many as kept), read in one piece and again one byte
// at a time: the split must not depend on where the file's pieces end.
std::vector<std::string> Split(const std::string& line, bool* badQuote = nullptr, uint64_t* count = nullptr) {
  const std::string text = line + "\nx;\"y\n";
  LineSplitter whole, bytes;
  const char *at = text.data(), *byte = text.data();
  EXPECT_TRUE(whole.Next(at, text.data() + text.size())) << line;
  while (!bytes.Next(byte, byte + 1)) {}
  EXPECT_EQ(std::make_pair(at, byte), std::make_pair(text.data() + line.size() + 1, at)) << line;
  EXPECT_EQ(LineFacts(whole.Line()), LineFacts(bytes.Line())) << line;
  if (badQuote) *badQuote = whole.Line().badQuote;
  if (count) *count = whole.Line().count;
  std::vector<std::string> out;
  for (uint64_t i = 0; i < std::min<uint64_t>(whole.Line().count, kJournalColumns); ++i) {
    out.emplace_back(whole.Line().field[i].Kept());
    EXPECT_EQ(bytes.Line().field[i].Kept(), out.back()) << line << " field " << i;
  }
  return out;
}

TEST(JournalLine, QuotedFieldsBlanksAndWhatIsNotALine) {
  using Fields = std::vector<std::string>;
  EXPECT_EQ(Split("a;\"FS 13;11/2026\";\"Sklep \"\"Pod Lipą\"\"\";;e"),
            (Fields{"a", "FS 13;11/2026", "Sklep \"Pod Lipą\"", "", "e"}));
  EXPECT_EQ(Split(" a ; \"b\" ;\"\";\"\"\"\";x\"y"), (Fields{"a", "b", "", "\"", "x\"y"}));
  EXPECT_EQ(Split(";"), (Fields{"", ""}));
  EXPECT_EQ(Split("a;\"b\"\r"), (Fields{"a", "b"}));  // CR LF
  EXPECT_EQ(Split("a; b \r"), (Fields{"a", "b"}));
  EXPECT_EQ(Split("a;b;c; FS 1/11 \xA3\xF3" "d\xBC ;d ;e          f;;;;;  ;"), (Fields{"a", "b", "c", "FS 1/11 \xA3\xF3" "d\xBC", "d", "e          f", "", "", "", ""}));
  EXPECT_EQ(Split("a;b;c;FS 1/11 \xC5\x81\xC3\xB3" "d\xC5\xBA;\xC5;x y;1;2;3;4;5"), (Fields{"a", "b", "c", "FS 1/11 \xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5", "x y", "1", "2", "3", "4"}));
  EXPECT_EQ(Split("a;b;c;FS 1/11 \xC5\x81\xC3\xB3" "d\xC5\xBA;;;;;;; ;"), (Fields{"a", "b", "c", "FS 1/11 \xC5\x81\xC3\xB3" "d\xC5\xBA", "", "", "", "", "", ""}));
  uint64_t count = 0;
  bool bad = false;
  EXPECT_EQ(Split("1;2;3;4;5;6;7;8;9;10;;;", &bad, &count).size(), 10u);
  EXPECT_EQ(count, 13u);
  const std::string longField(100000, 'A');
  EXPECT_EQ(Split("a;" + longField + "  ;b")[1], longField.substr(0, kKeptFieldBytes));
  for (const char* broken : {"a;\"FS 13;11", "a;\"b\"c;d", "\"", "a;\"b\"\""}) {
    Split(broken, &bad);
    EXPECT_TRUE(bad) << broken;
  }
}

TEST(Windows1250, PolishLettersBothWays) {
  // ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ, then „” and the euro sign.
  const std::string cp1250 = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF \x84\x94 \x80";
  const std::string utf8 = "ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ „” €";
  EXPECT_EQ(Cp1250ToUtf8(cp1250), utf8);
  EXPECT_EQ(Utf8ToCp1250(utf8), cp1250);
  EXPECT_EQ(Cp1250ToUtf8("\x81"), "\xEF\xBF\xBD");       // undefined in the code page
  EXPECT_EQ(Utf8ToCp1250("ä→\xFF"), "\xE4??");            // an arrow it lacks, a byte not UTF-8
  EXPECT_TRUE(IsUtf8(utf8));
  EXPECT_FALSE(IsUtf8(cp1250));
  EXPECT_FALSE(IsUtf8("\xC0\xAF"));  // overlong '/'
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(IsUtf8("\xC5"));  // cut short
}

}  // namespace
}  // namespace kw::tools::test
