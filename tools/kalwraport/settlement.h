// The monthly settlement of consigned sales from the journal, built as the
// journal streams past, in memory bounded by the number of documents:
//
// 1. the documents converted in the period (their last conversion in the
//    period, by the journal's line order, counts); one converted before the
//    period too is shown apart from the sum, with the difference of amounts;
// 2. the JPK register's entries removed in the period, each document once,
//    beside the date and amount of the conversion they belong to;
// 3. the cross-check: entries removed that the journal never saw converted
//    before, and documents converted in the period that no register line
//    names by the journal's end;
// 4. the documents of the period whose entry is still in the register by the
//    journal's end, because the last attempt to remove it failed;
// 5. the documents marked in the period and not converted after their last
//    marking by the journal's end.
//
// A record belongs to the period by its own date; everything after it in the
// journal counts for what is left by the journal's end. Documents are joined
// by their link id where both lines carry one, otherwise by the number; a
// register entry (which has no id) belongs to the latest document converted
// with its number before the entry's line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document_keys.h"
#include "journal_reader.h"
#include "settlement_store.h"

namespace kw::tools {

struct Period {
  JournalDay from = kNoDay;  // kNoDay: from the journal's beginning
  JournalDay to = kNoDay;    // kNoDay: to its end
  bool Contains(JournalDay day) const { return (from == kNoDay || day >= from) && (to == kNoDay || day <= to); }
};

// A dated line of the journal as a section shows it.
struct Moment {
  int64_t line = 0;  // 0: none
  JournalDay day = kNoDay;
  int32_t time = 0;
  bool hasAmount = false;
  int64_t amount = 0;  // grosze
};

struct Sale {
  Moment conversion;   // the last one in the period: its date and amount count
  std::string document;
  int32_t conversions;  // in the period
  bool amountsDiffer;   // the conversions in the period give other amounts
  Moment before;        // the last conversion before the period (line 0: none)
};

struct RegisterEntry {
  Moment entry;  // the removal (section 2, 3) or the last failed one (section 4)
  std::string document;
  std::string contractor;
  std::string description;
  int32_t times;      // removals in the period, or failed removals since the last one that worked
  Moment conversion;  // the last conversion of its document before the entry (in section 4: by the journal's end; line 0: none)
};

struct Marking {
  Moment marked;  // the last marking
  std::string document;
};

// What a sum came to; out of range when it does not fit 64 bits of grosze.
struct Total {
  int64_t grosze = 0;
  bool outOfRange = false;
};

// The rows of a section, in line order, each rebuilt from the compact
// records when it is read.
template <typename Row>
class RowList {
 public:
  using Make = Row (SettlementStore::*)(uint32_t) const;
  class Iterator {
   public:
    Iterator(const RowList& list, std::size_t at) : list_(list), at_(at) {}
    Row operator*() const { return ((*list_.store_).*list_.make_)(list_.parts_[at_]); }
    Iterator& operator++() { return ++at_, *this; }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    const RowList& list_;
    std::size_t at_;
  };

  RowList() = default;
  RowList(std::shared_ptr<const SettlementStore> store, Make make) : store_(std::move(store)), make_(make) {}
  std::vector<uint32_t>& Parts() { return parts_; }
  std::size_t size() const { return parts_.size(); }
  bool empty() const { return parts_.empty(); }
  Iterator begin() const { return {*this, 0}; }
  Iterator end() const { return {*this, parts_.size()}; }

 private:
  std::shared_ptr<const SettlementStore> store_;
  Make make_ = nullptr;
  std::vector<uint32_t> parts_;  // the documents, by their index in SettlementStore
};

enum class SettlementStatus { Agrees = 0, ToLookAt = 1 };

struct Settlement {
  Period period;
  JournalSummary journal;
  int64_t periodLines = 0;  // lines about documents dated in the period
  RowList<Sale> sales;
  Total salesSum;           // of the sales with an amount, not converted before the period
  int32_t salesWithoutAmount = 0;
  int32_t convertedAgain = 0;   // sales converted more than once, in or before the period
  int32_t convertedBefore = 0;  // of them, those converted before the period (not in the sum)
  Total differenceSum;          // their amount now less their amount then
  RowList<RegisterEntry> exclusions;
  RowList<RegisterEntry> removedNotConverted;
  RowList<Sale> convertedNotRemoved;
  RowList<RegisterEntry> leftInJpk;
  RowList<Marking> markedNotConverted;
  SettlementStatus status = SettlementStatus::Agrees;

  bool NoRecords() const { return periodLines == 0; }
};

class SettlementBuilder final : public JournalSink {
 public:
  explicit SettlementBuilder(const Period& period);
  void Take(const JournalEntry& entry) override;
  Settlement Finish(const JournalSummary& summary);

 private:
  uint32_t DocumentOf(const JournalEntry& entry);
  uint32_t RegisterDocumentOf(const JournalEntry& entry);
  uint32_t NewDocument(uint64_t numberKey, bool registerOnly);
  void NameDocument(uint32_t index, uint64_t numberKey);
  void Marked(uint32_t index, const JournalEntry& entry, bool inPeriod);
  void Converted(uint32_t index, const JournalEntry& entry, bool inPeriod);
  void HoldReplacedConversion(uint32_t index, PeriodPart& part, bool inPeriod);
  void SettleMarkWithoutIdentity(uint32_t earlier);
  void CloseMark(uint32_t index);
  void Removed(uint32_t index, const JournalEntry& entry, bool inPeriod);
  void Left(uint32_t index, const JournalEntry& entry, bool inPeriod);
  void Collect(uint32_t document, const PeriodPart& part, Settlement& out) const;
  TextArena::Ref NumberOf(const PeriodPart& part, const JournalEntry& entry);

  Period period_;
  int64_t periodLines_ = 0;
  std::shared_ptr<SettlementStore> store_;  // documents, their parts in the period, the texts
  DocumentKeys keys_;                       // numbers and register-only numbers to documents
  IdentityIndex identities_;                // link ids to documents
};

// The settlement of the period from the journal's file; false when the file
// could not be read to its end (file.Reason()).
bool SettleJournal(FileStream& file, const Period& period, Settlement& out);

}  // namespace kw::tools
