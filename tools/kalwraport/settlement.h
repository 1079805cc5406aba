// The monthly settlement of consigned sales from the journal: the documents
// converted in a period, the JPK register's entries removed, the two
// cross-checks between them and the entries a failed deletion left.
//
// A record belongs to the period by its own date. The cross-checks look at
// the whole journal: a document converted on the 30th whose register entry
// goes when the register is built next month agrees, once that has happened.
#pragma once

#include <cstdint>
#include <vector>

#include "journal.h"

namespace kw::tools {

struct Period {
  JournalDay from = kNoDay;  // kNoDay: from the journal's beginning
  JournalDay to = kNoDay;    // kNoDay: to its end
  bool Contains(JournalDay day) const { return (from == kNoDay || day >= from) && (to == kNoDay || day <= to); }
};

struct Sale {
  const JournalRecord* conversion;  // the last one in the period: its date and amount count
  int32_t conversions;              // in the period
  bool amountsDiffer;               // the conversions in the period give other amounts
  JournalDay convertedBefore;       // the last conversion before the period, or kNoDay
};

struct Exclusion {
  const JournalRecord* removal;  // the first one in the period
  int32_t removals;              // in the period: once for each build of the register
};

enum class SettlementStatus { Agrees = 0, ToLookAt = 1 };

struct Settlement {
  std::vector<Sale> sales;
  int64_t salesSum = 0;  // grosze, of the sales with an amount
  bool sumOutOfRange = false;
  int32_t salesWithoutAmount = 0;
  std::vector<Exclusion> exclusions;
  // Removed from the register in the period, never converted in the journal.
  std::vector<const JournalRecord*> removedNotConverted;
  // Converted in the period, never removed from the register nor left there.
  std::vector<const JournalRecord*> convertedNotRemoved;
  // Left in the register in the period by a failed deletion, not removed later.
  std::vector<const JournalRecord*> leftInJpk;
  int32_t unreadableLines = 0;
  SettlementStatus status = SettlementStatus::Agrees;
};

Settlement Settle(const Journal& journal, const Period& period);

}  // namespace kw::tools
