// The journal's field texts: amounts with a decimal comma, words in hex,
// numbers and two-digit parts of dates, without the C runtime's formatting
// and without the system's formatter (one line costs a few of them).
#include <cstdint>

#include "journal.h"

namespace kw {

namespace {

// Writes the decimal digits of `value` backwards from `end`, at least
// `atLeast` of them; answers where they begin.
char* DigitsBefore(char* end, uint32_t value, int atLeast) {
  int written = 0;
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
    ++written;
  } while (value != 0 || written < atLeast);
  return end;
}

// The whole part of 0 <= x < 2^52: adding and taking away 2^52 rounds x to
// a whole number, one too many when it rounded up.
double WholePart(double x) {
  constexpr double kWholeFrom = 4503599627370496.0;
  const double nearest = (x + kWholeFrom) - kWholeFrom;
  return nearest > x ? nearest - 1 : nearest;
}

}  // namespace

// The module's code does no 64-bit integer arithmetic (the compiler would
// call the C runtime for it): the whole part stays a double, split at 10^9
// into two parts that 32 bits hold, and the cents come from the fraction
// alone, so that no digit of a large amount is lost to the scaling.
void AmountText(double value, char (&text)[kAmountTextSize]) {
  text[0] = '\0';
  constexpr double kLargest = 1e15;
  if (!(value > -kLargest && value < kLargest)) return;  // NaN and infinities fail both
  const bool negative = value < 0;
  const double amount = negative ? -value : value;
  double whole = WholePart(amount);
  int32_t cents = static_cast<int32_t>(WholePart((amount - whole) * 100.0 + 0.5));  // half away from zero
  if (cents == 100) {
    whole += 1;
    cents = 0;
  }
  constexpr double kSplit = 1e9;
  int32_t high = static_cast<int32_t>(WholePart(whole / kSplit));
  if (whole - high * kSplit < 0) --high;  // the quotient rounded up to the next whole number
  const int32_t low = static_cast<int32_t>(whole - high * kSplit);
  char digits[kAmountTextSize];
  char* const end = digits + sizeof digits;
  char* start = DigitsBefore(end, static_cast<uint32_t>(cents), 2);
  *--start = ',';
  start = DigitsBefore(start, static_cast<uint32_t>(low), high > 0 ? 9 : 1);
  if (high > 0) start = DigitsBefore(start, static_cast<uint32_t>(high), 1);
  int at = 0;
  if (negative && (whole != 0 || cents != 0)) text[at++] = '-';
  while (start < end) text[at++] = *start++;
  text[at] = '\0';
}

void WordText(uint16_t value, char (&text)[kWordTextSize]) {
  const char* const kHex = "0123456789ABCDEF";
  text[0] = '0';
  text[1] = 'x';
  for (int i = 0; i < 4; ++i) text[2 + i] = kHex[(value >> (12 - 4 * i)) & 0xF];
  text[6] = '\0';
}

void NumberText(int32_t value, char (&text)[kNumberTextSize]) {
  char digits[kNumberTextSize];
  char* const end = digits + sizeof digits;
  const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  const char* start = DigitsBefore(end, magnitude, 1);
  int at = 0;
  if (value < 0) text[at++] = '-';
  while (start < end) text[at++] = *start++;
  text[at] = '\0';
}

void TwoDigits(int value, char* at) {
  at[0] = static_cast<char>('0' + value / 10 % 10);
  at[1] = static_cast<char>('0' + value % 10);
}

}  // namespace kw
