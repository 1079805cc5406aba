// The values of the journal's fields as the module writes them and as a host
// or a spreadsheet that saved the file again may give them: dates, times and
// amounts, and the forms in which the report writes them back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kw::tools {

// A day as the number RRRRMMDD (20261103), so that days compare as numbers;
// 0 is no day.
using JournalDay = int32_t;
constexpr JournalDay kNoDay = 0;

// RRRR-MM-DD, DD.MM.RRRR, DD-MM-RRRR, DD/MM/RRRR, RRRR.MM.DD, RRRR/MM/DD, the
// day and month with one digit or two, and in the day-first forms a two-digit
// year meaning 20RR. Blanks around the date are allowed; a date that is not
// in the calendar (2026-02-29) is none.
JournalDay ParseJournalDay(std::string_view text);

// RRRR-MM (also RRRR.MM, RRRR/MM, MM.RRRR, MM-RRRR, MM/RRRR): the first and
// the last day of that month, or false.
bool ParseMonth(std::string_view text, JournalDay& first, JournalDay& last);

// GG:MM or GG:MM:SS (24 h, the hour with one digit or two) as seconds since
// midnight, or -1.
int32_t ParseJournalTime(std::string_view text);

// An amount in grosze: a decimal comma (or point) with at most two decimals,
// "-" for negative, blanks or no-break spaces between groups of three digits,
// at most 15 digits before the decimal sign, and the currency after it as a
// spreadsheet's currency format writes it ("1 234,56 zł", "12,00 PLN"; the
// narrow no-break space too). False for anything else, including an empty
// field.
bool ParseAmount(std::string_view text, int64_t& grosze);

// The document's link id: an integer of 32 bits in decimal ("-1" and
// "4294967295" alike), as its 32 bits; 0 (and an empty field) is none.
bool ParseIdentity(std::string_view text, uint32_t& identity);

// "2026-11-03", "10:16:02".
std::string DayText(JournalDay day);
std::string TimeText(int32_t seconds);

// 123000 -> "1230,00", -1250 -> "-12,50"; with '.' for JSON.
std::string AmountText(int64_t grosze, char decimalSign = ',');
// 123000 -> "1 230,00": thousands grouped with a space, for people.
std::string GroupedAmountText(int64_t grosze);
// 1234567 -> "1 234 567".
std::string GroupedNumber(int64_t value);

}  // namespace kw::tools
