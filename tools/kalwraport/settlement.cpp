#include "settlement.h"

#include <algorithm>
#include <tuple>

#include "document_groups.h"

namespace kw::tools {

namespace {

bool Earlier(const JournalRecord* a, const JournalRecord* b) {
  return std::tie(a->day, a->time, a->line) < std::tie(b->day, b->time, b->line);
}

// What the journal holds about one document, its records in time order.
class DocumentHistory {
 public:
  DocumentHistory(const Period& period, Settlement& settlement) : period_(period), settlement_(settlement) {}

  void Take(const JournalRecord* record) {
    const bool inPeriod = period_.Contains(record->day);
    switch (record->event) {
      case JournalEvent::Converted:
        converted_ = true;
        if (inPeriod) {
          if (lastConversion_ && lastConversion_->hasAmount != record->hasAmount) amountsDiffer_ = true;
          if (lastConversion_ && record->hasAmount && lastConversion_->amount != record->amount) amountsDiffer_ = true;
          lastConversion_ = record;
          ++conversions_;
        } else if (period_.from != kNoDay && record->day < period_.from) {
          convertedBefore_ = record->day;
        }
        break;
      case JournalEvent::RemovedFromJpk:
        removed_ = true;
        pendingLeft_ = nullptr;
        if (inPeriod) {
          if (!firstRemoval_) firstRemoval_ = record;
          ++removals_;
        }
        break;
      case JournalEvent::LeftInJpk:
        left_ = true;
        if (inPeriod) pendingLeft_ = record;
        break;
      default:
        break;
    }
  }

  void Finish() {
    if (lastConversion_) {
      settlement_.sales.push_back({lastConversion_, conversions_, amountsDiffer_, convertedBefore_});
      if (!removed_ && !left_) settlement_.convertedNotRemoved.push_back(lastConversion_);
    }
    if (firstRemoval_) {
      settlement_.exclusions.push_back({firstRemoval_, removals_});
      if (!converted_) settlement_.removedNotConverted.push_back(firstRemoval_);
    }
    if (pendingLeft_) settlement_.leftInJpk.push_back(pendingLeft_);
  }

 private:
  const Period& period_;
  Settlement& settlement_;
  bool converted_ = false;
  bool removed_ = false;
  bool left_ = false;
  const JournalRecord* lastConversion_ = nullptr;
  int32_t conversions_ = 0;
  bool amountsDiffer_ = false;
  JournalDay convertedBefore_ = kNoDay;
  const JournalRecord* firstRemoval_ = nullptr;
  int32_t removals_ = 0;
  const JournalRecord* pendingLeft_ = nullptr;
};

void AddUpSales(Settlement& settlement) {
  for (const Sale& sale : settlement.sales) {
    if (!sale.conversion->hasAmount) {
      ++settlement.salesWithoutAmount;
    } else if (__builtin_add_overflow(settlement.salesSum, sale.conversion->amount, &settlement.salesSum)) {
      settlement.sumOutOfRange = true;
    }
  }
}

template <typename T, typename RecordOf>
void InTimeOrder(std::vector<T>& items, RecordOf recordOf) {
  std::sort(items.begin(), items.end(), [&](const T& a, const T& b) { return Earlier(recordOf(a), recordOf(b)); });
}

bool AnythingToLookAt(const Settlement& s) {
  const bool repeatedSale = std::any_of(s.sales.begin(), s.sales.end(), [](const Sale& sale) {
    return sale.amountsDiffer || sale.convertedBefore != kNoDay;
  });
  return s.unreadableLines > 0 || s.sumOutOfRange || s.salesWithoutAmount > 0 || repeatedSale ||
         !s.removedNotConverted.empty() || !s.convertedNotRemoved.empty() || !s.leftInJpk.empty();
}

}  // namespace

Settlement Settle(const Journal& journal, const Period& period) {
  Settlement settlement;
  settlement.unreadableLines = journal.unreadableCount;
  const DocumentGroups groups(journal.records);
  std::vector<const JournalRecord*> history;
  for (int32_t group = 0; group < groups.Count(); ++group) {
    groups.InTimeOrder(group, history);
    DocumentHistory document(period, settlement);
    for (const JournalRecord* record : history) document.Take(record);
    document.Finish();
  }

  const auto itself = [](const JournalRecord* record) { return record; };
  InTimeOrder(settlement.sales, [](const Sale& sale) { return sale.conversion; });
  InTimeOrder(settlement.exclusions, [](const Exclusion& exclusion) { return exclusion.removal; });
  InTimeOrder(settlement.removedNotConverted, itself);
  InTimeOrder(settlement.convertedNotRemoved, itself);
  InTimeOrder(settlement.leftInJpk, itself);
  AddUpSales(settlement);
  settlement.status = AnythingToLookAt(settlement) ? SettlementStatus::ToLookAt : SettlementStatus::Agrees;
  return settlement;
}

}  // namespace kw::tools
