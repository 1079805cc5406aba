// The journal of every change the module makes to the shop's books,
// Kalwestrowka-dziennik.csv: one line a change, appended through the host's
// log service like Kalwestrowka.log, after the work it records. Its format is
// a contract with the shop's spreadsheets and the report kalwraport, written
// once in journal_format.h: its file name, columns and event words.
#pragma once

#include <cstdint>

#include "journal_format.h"

namespace kw {

// The fields after the event: Mazovia texts, null for an empty field.
struct JournalFields {
  const char* document = nullptr;
  const char* amount = nullptr;
  const char* contractor = nullptr;
  const char* description = nullptr;
  const char* before = nullptr;
  const char* after = nullptr;
  int32_t identity = 0;  // the document's link id in the host; 0: none known, the field stays empty
};

// Appends one line dated by the computer's clock. The host may run the
// module's handlers inside the append; a failing append is ignored.
void AppendJournal(JournalEvent event, const JournalFields& fields);

// Field texts in the journal's forms, written into the caller's buffers.
inline constexpr int kAmountTextSize = 24;
// "1230,00", "-12,50"; empty for a value that is not a finite number below 10^15.
void AmountText(double value, char (&text)[kAmountTextSize]);
inline constexpr int kWordTextSize = 8;
void WordText(uint16_t value, char (&text)[kWordTextSize]);  // "0x0400"
inline constexpr int kNumberTextSize = 12;
void NumberText(int32_t value, char (&text)[kNumberTextSize]);
// The two last decimal digits of 0 <= value, at `at` and `at + 1`.
void TwoDigits(int value, char* at);

}  // namespace kw
