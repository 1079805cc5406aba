// The journal's records grouped by document number, without an allocation
// per record or per document: an open-addressing table of the numbers seen,
// then the records counted into their groups in the journal's order.
#pragma once

#include <cstdint>
#include <vector>

#include "journal.h"

namespace kw::tools {

class DocumentGroups {
 public:
  explicit DocumentGroups(const std::vector<JournalRecord>& records);

  int32_t Count() const { return static_cast<int32_t>(groupStart_.size()) - 1; }

  // The group's records by date, time and line.
  void InTimeOrder(int32_t group, std::vector<const JournalRecord*>& out) const;

 private:
  std::vector<const JournalRecord*> ordered_;  // group after group, each in the journal's order
  std::vector<int32_t> groupStart_;            // where each group begins in ordered_, and the end
};

}  // namespace kw::tools
