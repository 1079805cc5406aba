// The journal's lines of a conversion: the document converted, then each
// field the conversion changed, old and new.
#pragma once

#include "host_records.h"

namespace kw {

// The fields of a sales document that the conversion sets, and its total.
struct ConversionFields {
  char number[sizeof DocRecord::DocNumber + 1];
  uint16_t flags, pending, terms, termsAux;
  double settled, balance, split[sizeof DocRecord::SplitAmount / sizeof DocRecord::SplitAmount[0]], total;
  int32_t link;  // the document's link id, its identity in the journal
};

ConversionFields FieldsOf(const DocRecord* document);
// Appends the lines for a document converted from `before` to `after`.
void JournalConversion(const ConversionFields& before, const ConversionFields& after);

}  // namespace kw
