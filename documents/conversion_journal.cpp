#include "conversion_journal.h"

#include <windows.h>

#include "journal.h"
#include "mazovia.h"

namespace kw {

ConversionFields FieldsOf(const DocRecord* document) {
  ConversionFields fields;
  lstrcpynA(fields.number, document->DocNumber, sizeof fields.number);
  fields.flags = document->DocFlags;
  fields.pending = document->ConversionPending;
  fields.terms = document->TermsWord;
  fields.termsAux = document->TermsAux;
  fields.settled = document->SettledAmount;
  fields.balance = document->BalanceAmount;
  for (int i = 0; i < 4; ++i) fields.split[i] = document->SplitAmount[i];
  fields.total = document->TotalAmount;
  return fields;
}

namespace {

bool SameText(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

void Changed(const char* document, const char* field, const char* before, const char* after) {
  JournalFields line;
  line.document = document;
  line.description = field;
  line.before = before;
  line.after = after;
  AppendJournal(JournalEvent::FieldChanged, line);
}

void WordChanged(const char* document, const char* field, uint16_t before, uint16_t after) {
  if (before == after) return;
  char old[kWordTextSize], now[kWordTextSize];
  WordText(before, old);
  WordText(after, now);
  Changed(document, field, old, now);
}

void AmountChanged(const char* document, const char* field, double before, double after) {
  if (before == after) return;
  char old[kAmountTextSize], now[kAmountTextSize];
  AmountText(before, old);
  AmountText(after, now);
  Changed(document, field, old, now);
}

}  // namespace

void JournalConversion(const ConversionFields& before, const ConversionFields& after) {
  const char* const document = after.number;
  char total[kAmountTextSize];
  AmountText(after.total, total);
  JournalFields converted;
  converted.document = document;
  converted.amount = total;
  AppendJournal(JournalEvent::Converted, converted);

  if (!SameText(before.number, after.number)) Changed(document, "Numer", before.number, after.number);
  WordChanged(document, "Flagi", before.flags, after.flags);
  if (before.pending != after.pending) {
    char old[kNumberTextSize], now[kNumberTextSize];
    NumberText(before.pending, old);
    NumberText(after.pending, now);
    Changed(document, "Do zamiany", old, now);
  }
  WordChanged(document, "Warunki", before.terms, after.terms);
  WordChanged(document, "Warunki dod.", before.termsAux, after.termsAux);
  AmountChanged(document, "Rozliczono", before.settled, after.settled);
  AmountChanged(document, "Saldo", before.balance, after.balance);
  const char* const kSplit[] = {MZ("Kwota podziału 1"), MZ("Kwota podziału 2"), MZ("Kwota podziału 3"),
                                MZ("Kwota podziału 4")};
  for (int i = 0; i < 4; ++i) AmountChanged(document, kSplit[i], before.split[i], after.split[i]);
}

}  // namespace kw
