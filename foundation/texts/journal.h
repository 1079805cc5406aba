// The journal of every change the module makes to the shop's books,
// Kalwestrowka-dziennik.csv: one line a change, appended through the host's
// log service like Kalwestrowka.log, after the work it records. Its format is
// a contract with the shop's spreadsheets and the report kalwraport; the
// README gives it: date;time;event;document;amount;contractor;description;
// before;after, fields with ";" or "\"" quoted, texts in the Windows code page.
#pragma once

#include <cstdint>

namespace kw {

inline constexpr char kJournalFile[] = "Kalwestrowka-dziennik.csv";

enum class JournalEvent {
  Marked,          // OZNACZONO: a sales document given to TMO and marked at its acceptance
  Converted,       // ZAMIENIONO: a marked document converted and stored
  FieldChanged,    // ZMIANA: one field that conversion changed
  EntryRemoved,    // USUNIETO_Z_JPK: a register entry of TMO deleted
  EntryLeft,       // POZOSTAWIONO_W_JPK: one that could not be deleted
  ChoiceSaved,     // KONFIGURACJA: the warehouse choice saved and read back
  ChoiceNotSaved,  // BLAD_KONFIGURACJI: a save that failed or could not be checked
};

// The fields after the event: Mazovia texts, null for an empty field.
struct JournalFields {
  const char* document = nullptr;
  const char* amount = nullptr;
  const char* contractor = nullptr;
  const char* description = nullptr;
  const char* before = nullptr;
  const char* after = nullptr;
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
