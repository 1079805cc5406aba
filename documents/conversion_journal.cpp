#include "conversion_journal.h"

#include <windows.h>

#include "journal.h"
#include "mazovia.h"
#include "same_text.h"

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
  for (unsigned i = 0; i < sizeof fields.split / sizeof fields.split[0]; ++i) fields.split[i] = document->SplitAmount[i];
  fields.total = document->TotalAmount;
  fields.link = document->DocLinkId;
  return fields;
}

namespace {

// The document converted, as its lines name it.
struct Converted {
  const char* number;
  int32_t link;
};

void Changed(const Converted& document, const char* field, const char* before, const char* after) {
  JournalFields line;
  line.document = document.number;
  line.identity = document.link;
  line.description = field;
  line.before = before;
  line.after = after;
  AppendJournal(JournalEvent::FieldChanged, line);
}

// A field whose value changed, in the journal's form for its kind.
template <typename Value, int Size>
void ValueChanged(const Converted& document, const char* field, Value before, Value after,
                  void (*text)(Value, char (&)[Size])) {
  if (before == after) return;
  char old[Size], now[Size];
  text(before, old);
  text(after, now);
  Changed(document, field, old, now);
}

}  // namespace

void JournalConversion(const ConversionFields& before, const ConversionFields& after) {
  const Converted document{after.number, after.link};
  char total[kAmountTextSize];
  AmountText(after.total, total);
  JournalFields converted;
  converted.document = document.number;
  converted.amount = total;
  converted.identity = document.link;
  AppendJournal(JournalEvent::Converted, converted);

  if (!SameText(before.number, after.number)) Changed(document, "Numer", before.number, after.number);
  ValueChanged(document, "Flagi", before.flags, after.flags, WordText);
  ValueChanged<int32_t>(document, "Do zamiany", before.pending, after.pending, NumberText);
  ValueChanged(document, "Warunki", before.terms, after.terms, WordText);
  ValueChanged(document, "Warunki dod.", before.termsAux, after.termsAux, WordText);
  ValueChanged(document, "Rozliczono", before.settled, after.settled, AmountText);
  ValueChanged(document, "Saldo", before.balance, after.balance, AmountText);
  const char* const kSplit[] = {MZ("Kwota podziału 1"), MZ("Kwota podziału 2"), MZ("Kwota podziału 3"),
                                MZ("Kwota podziału 4")};
  static_assert(sizeof kSplit / sizeof kSplit[0] == sizeof after.split / sizeof after.split[0], "a name for each split amount");
  for (unsigned i = 0; i < sizeof kSplit / sizeof kSplit[0]; ++i)
    ValueChanged(document, kSplit[i], before.split[i], after.split[i], AmountText);
}

}  // namespace kw
