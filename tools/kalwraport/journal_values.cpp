#include "journal_values.h"

#include <array>

namespace kw::tools {

namespace {

constexpr int kMaxWholeDigits = 15;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Groups of digits separated by one and the same separator.
struct NumberGroups {
  int count = 0;
  std::array<int, 3> value{};
  std::array<int, 3> digits{};
  char separator = 0;
};

bool SplitGroups(std::string_view text, const char* separators, NumberGroups& groups) {
  groups = {};
  std::size_t at = 0;
  while (groups.count < 3) {
    int value = 0;
    int digits = 0;
    while (at < text.size() && IsDigit(text[at]) && digits < 5) value = value * 10 + (text[at++] - '0'), ++digits;
    if (digits == 0) return false;
    groups.value[groups.count] = value;
    groups.digits[groups.count] = digits;
    ++groups.count;
    if (at == text.size()) return true;
    const char c = text[at++];
    if (groups.separator == 0) {
      bool allowed = false;
      for (const char* s = separators; *s; ++s) allowed |= c == *s;
      if (!allowed) return false;
      groups.separator = c;
    } else if (c != groups.separator) {
      return false;
    }
  }
  return false;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsShort(int digits) { return digits == 1 || digits == 2; }

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2999;

JournalDay MakeDay(int year, int month, int day) {
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return kNoDay;
  if (day < 1 || day > DaysInMonth(year, month)) return kNoDay;
  return year * 10000 + month * 100 + day;
}

std::string TwoDigits(int value) { return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)}; }

// The digits of text[at..at+count) as a number, or -1.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!IsDigit(text[i])) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

JournalDay ParseJournalDay(std::string_view text) {
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {  // as the module writes it
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    if (year >= 0 && month >= 0 && day >= 0) return MakeDay(year, month, day);
  }
  NumberGroups g;
  if (!SplitGroups(Trimmed(text), "-./", g) || g.count != 3) return kNoDay;
  if (g.digits[0] == 4 && IsShort(g.digits[1]) && IsShort(g.digits[2])) return MakeDay(g.value[0], g.value[1], g.value[2]);
  if (IsShort(g.digits[0]) && IsShort(g.digits[1])) {
    if (g.digits[2] == 4) return MakeDay(g.value[2], g.value[1], g.value[0]);
    if (g.digits[2] == 2) return MakeDay(2000 + g.value[2], g.value[1], g.value[0]);
  }
  return kNoDay;
}

bool ParseMonth(std::string_view text, JournalDay& first, JournalDay& last) {
  NumberGroups g;
  if (!SplitGroups(Trimmed(text), "-./", g) || g.count != 2) return false;
  int year;
  int month;
  if (g.digits[0] == 4 && IsShort(g.digits[1])) {
    year = g.value[0], month = g.value[1];
  } else if (IsShort(g.digits[0]) && g.digits[1] == 4) {
    year = g.value[1], month = g.value[0];
  } else {
    return false;
  }
  first = MakeDay(year, month, 1);
  if (first == kNoDay) return false;
  last = MakeDay(year, month, DaysInMonth(year, month));
  return true;
}

int32_t ParseJournalTime(std::string_view text) {
  if (text.size() == 8 && text[2] == ':' && text[5] == ':') {  // as the module writes it
    const int hours = Digits(text, 0, 2), minutes = Digits(text, 3, 2), seconds = Digits(text, 6, 2);
    if (hours >= 0 && minutes >= 0 && seconds >= 0) return hours > 23 || minutes > 59 || seconds > 59 ? -1 : hours * 3600 + minutes * 60 + seconds;
  }
  NumberGroups g;
  if (!SplitGroups(Trimmed(text), ":", g) || g.count < 2) return -1;
  if (!IsShort(g.digits[0]) || g.digits[1] != 2 || (g.count == 3 && g.digits[2] != 2)) return -1;
  const int seconds = g.count == 3 ? g.value[2] : 0;
  if (g.value[0] > 23 || g.value[1] > 59 || seconds > 59) return -1;
  return g.value[0] * 3600 + g.value[1] * 60 + seconds;
}

namespace {

// The blanks a spreadsheet writes between digits and a currency: a blank, a
// no-break space (0xA0, C2 A0) or a narrow one (E2 80 AF); 0 when none.
std::size_t SpaceWidth(std::string_view text, std::size_t at) {
  const std::string_view rest = text.substr(at);
  if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\xA0')) return 1;
  if (rest.substr(0, 2) == "\xC2\xA0") return 2;
  if (rest.substr(0, 3) == "\xE2\x80\xAF") return 3;
  return 0;
}

std::string_view WithoutCurrency(std::string_view text) {
  for (const std::string_view currency : {std::string_view("z\xB3"), std::string_view("z\xC5\x82"), std::string_view("PLN")}) {
    if (text.size() > currency.size() && text.substr(text.size() - currency.size()) == currency) {
      text.remove_suffix(currency.size());
      for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (std::size_t width = 3; width > 0; --width) {
          if (text.size() >= width && SpaceWidth(text, text.size() - width) == width) {
            text.remove_suffix(width);
            trimmed = true;
            break;
          }
        }
      }
      return text;
    }
  }
  return text;
}

}  // namespace

bool ParseAmount(std::string_view text, int64_t& grosze) {
  text = WithoutCurrency(Trimmed(text));
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  int64_t whole = 0;
  int digits = 0;
  int groupDigits = 0;  // digits since the last group separator
  bool grouped = false;
  std::size_t at = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (IsDigit(c)) {
      if (++digits > kMaxWholeDigits) return false;
      whole = whole * 10 + (c - '0');
      ++groupDigits;
      continue;
    }
    const std::size_t width = SpaceWidth(text, at);  // a group separator
    if (width == 0) break;
    if (digits == 0 || (grouped ? groupDigits != 3 : groupDigits > 3)) return false;
    grouped = true;
    groupDigits = 0;
    at += width - 1;
  }
  if (digits == 0 || (grouped && groupDigits != 3)) return false;
  int64_t fraction = 0;
  if (at < text.size()) {
    if (text[at] != ',' && text[at] != '.') return false;
    const std::string_view decimals = text.substr(at + 1);
    if (decimals.empty() || decimals.size() > 2 || !IsDigit(decimals[0]) || (decimals.size() == 2 && !IsDigit(decimals[1]))) {
      return false;
    }
    fraction = (decimals[0] - '0') * 10 + (decimals.size() == 2 ? decimals[1] - '0' : 0);
  }
  grosze = whole * 100 + fraction;
  if (negative) grosze = -grosze;
  return true;
}

std::string DayText(JournalDay day) {
  return std::to_string(day / 10000) + "-" + TwoDigits(day / 100 % 100) + "-" + TwoDigits(day % 100);
}

std::string TimeText(int32_t seconds) {
  return TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60) + ":" + TwoDigits(seconds % 60);
}

bool ParseIdentity(std::string_view text, uint32_t& identity) {
  text = Trimmed(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative || (!text.empty() && text.front() == '+')) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return false;
  int64_t value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  if (negative ? value > 2147483648LL : value > 4294967295LL) return false;
  identity = static_cast<uint32_t>(negative ? -value : value);
  return true;
}

std::string GroupedNumber(int64_t value) {
  const std::string digits = std::to_string(value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
  std::string text = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ' ';
    text += digits[i];
  }
  return text;
}

std::string GroupedAmountText(int64_t grosze) {
  const uint64_t magnitude = grosze < 0 ? 0 - static_cast<uint64_t>(grosze) : static_cast<uint64_t>(grosze);
  std::string text = grosze < 0 ? "-" : "";
  text += GroupedNumber(static_cast<int64_t>(magnitude / 100));
  return text + "," + TwoDigits(static_cast<int>(magnitude % 100));
}

std::string AmountText(int64_t grosze, char decimalSign) {
  const uint64_t magnitude = grosze < 0 ? 0 - static_cast<uint64_t>(grosze) : static_cast<uint64_t>(grosze);
  std::string text = grosze < 0 ? "-" : "";
  text += std::to_string(magnitude / 100);
  text += decimalSign;
  text += TwoDigits(static_cast<int>(magnitude % 100));
  return text;
}

}  // namespace kw::tools
