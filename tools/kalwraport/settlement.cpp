#include "settlement.h"

#include <algorithm>

namespace kw::tools {

namespace {

// A sum of amounts that cannot overflow on the way: whole blocks of 2^60
// grosze apart from the rest, so that only the end result has to fit.
class WideSum {
 public:
  void Add(int64_t amount) {  // |amount| < 10^17 < 2^57
    low_ += amount;
    blocks_ += low_ >> 60;
    low_ &= (int64_t{1} << 60) - 1;
  }
  Total Result() const {
    Total total;
    total.outOfRange = blocks_ < -8 || blocks_ > 7;
    if (!total.outOfRange) total.grosze = static_cast<int64_t>(static_cast<uint64_t>(blocks_) << 60) + low_;
    return total;
  }

 private:
  int64_t blocks_ = 0;
  int64_t low_ = 0;  // 0 <= low_ < 2^60 between the additions
};

template <typename Row, typename LineOf>
void InLineOrder(RowList<Row>& list, LineOf lineOf) {
  std::sort(list.Parts().begin(), list.Parts().end(), [&](uint32_t a, uint32_t b) { return lineOf(a) < lineOf(b); });
}

Stamp StampOf(const JournalEntry& entry) { return {entry.line, entry.day, entry.time}; }

}  // namespace

SettlementBuilder::SettlementBuilder(const Period& period)
    : period_(period), store_(std::make_shared<SettlementStore>()) {}

void SettlementBuilder::Take(const JournalEntry& entry) {
  const bool inPeriod = period_.Contains(entry.day);
  if (entry.event == JournalEvent::ChoiceSaved || entry.event == JournalEvent::ChoiceNotSaved) return;
  periodLines_ += inPeriod;
  switch (entry.event) {
    case JournalEvent::Marked: return Marked(DocumentOf(entry), entry, inPeriod);
    case JournalEvent::Converted: return Converted(DocumentOf(entry), entry, inPeriod);
    case JournalEvent::EntryRemoved: return Removed(RegisterDocumentOf(entry), entry, inPeriod);
    case JournalEvent::EntryLeft: return Left(RegisterDocumentOf(entry), entry, inPeriod);
    default: return;
  }
}

uint32_t SettlementBuilder::NewDocument(uint64_t numberKey, bool registerOnly) {
  store_->documents.emplace_back();
  const uint32_t index = static_cast<uint32_t>(store_->documents.size() - 1);
  store_->documents.back().registerOnly = registerOnly;
  if (registerOnly) keys_.Set(KeyOf(KeyKind::RegisterNumber, numberKey), index);
  return index;
}

void SettlementBuilder::NameDocument(uint32_t index, uint64_t numberKey) {
  StoredDocument& document = store_->documents[index];
  if (document.named && document.numberKey == numberKey) return;
  const uint32_t before = keys_.Set(KeyOf(KeyKind::Number, numberKey), index);
  if (before != index) document.previousWithNumber = before;
  document.numberKey = numberKey;
  document.named = true;
}

// A marking's or conversion's document: by its link id; a line without one by
// its number; a first line with an id may give it to the document its number
// names when that one has none and was not converted yet (marked before the
// host gave the document its id).
uint32_t SettlementBuilder::DocumentOf(const JournalEntry& entry) {
  const uint64_t byNumberKey = KeyOf(KeyKind::Number, entry.numberKey);
  uint32_t index = kNoDocument;
  if (entry.identity == 0) {
    index = keys_.Find(byNumberKey);
  } else if ((index = keys_.Find(KeyOf(KeyKind::Identity, entry.identity))) == kNoDocument) {
    const uint32_t byNumber = keys_.Find(byNumberKey);
    if (byNumber != kNoDocument && store_->documents[byNumber].identity == 0 && !store_->documents[byNumber].last.known) {
      index = byNumber;
    }
    if (index == kNoDocument) index = NewDocument(entry.numberKey, false);
    store_->documents[index].identity = entry.identity;
    keys_.Set(KeyOf(KeyKind::Identity, entry.identity), index);
  }
  if (index == kNoDocument) index = NewDocument(entry.numberKey, false);
  // A marking after a conversion keeps the number the conversion gave: it
  // names the document as it stood when marked again ("." once marked), and
  // the register's lines name it by its number.
  if (entry.event == JournalEvent::Converted || !store_->documents[index].last.known) NameDocument(index, entry.numberKey);
  return index;
}

// A register line's document: the latest one converted with its number before
// the line, otherwise the register's own entry of that number.
uint32_t SettlementBuilder::RegisterDocumentOf(const JournalEntry& entry) {
  uint32_t index = keys_.Find(KeyOf(KeyKind::Number, entry.numberKey));
  while (index != kNoDocument) {
    const StoredDocument& document = store_->documents[index];
    if (document.last.known && document.numberKey == entry.numberKey) return index;
    if (document.previousWithNumber >= index) break;  // older documents only: the walk ends
    index = document.previousWithNumber;
  }
  index = keys_.Find(KeyOf(KeyKind::RegisterNumber, entry.numberKey));
  return index != kNoDocument ? index : NewDocument(entry.numberKey, true);
}

PeriodPart& SettlementBuilder::PartOf(uint32_t index) {
  StoredDocument& document = store_->documents[index];
  if (document.periodPart == kNoDocument) {
    store_->parts.emplace_back();
    store_->parts.back().document = index;
    document.periodPart = static_cast<uint32_t>(store_->parts.size() - 1);
  }
  return store_->parts[document.periodPart];
}

void SettlementBuilder::Marked(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  StoredDocument& document = store_->documents[index];
  document.openMark = true;
  if (inPeriod) {
    PeriodPart& part = PartOf(index);
    part.marked = StampOf(entry);
    part.markedHasAmount = entry.hasAmount;
    part.markedAmount = entry.amount;
    part.markedNumber = NumberOf(document, entry);
  } else if (document.periodPart != kNoDocument) {
    store_->parts[document.periodPart].marked.line = 0;  // marked again after the period
  }
}

void SettlementBuilder::Converted(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  StoredDocument& document = store_->documents[index];
  if (inPeriod) {
    PeriodPart& part = PartOf(index);
    if (part.conversions == 0 && document.last.known && period_.from != kNoDay && document.last.day < period_.from) {
      part.before = document.last;
    }
    if (part.conversions > 0 && (part.convertedHasAmount != entry.hasAmount || part.convertedAmount != entry.amount)) {
      part.amountsDiffer = true;
    }
    part.converted = StampOf(entry);
    part.convertedHasAmount = entry.hasAmount;
    part.convertedAmount = entry.amount;
    part.convertedNumber = NumberOf(document, entry);
    ++part.conversions;
  }
  document.openMark = false;
  document.last = {entry.amount, entry.day, true, entry.hasAmount};
  if (entry.identity != 0) SettleMarkWithoutIdentity(document.previousWithNumber);
}

// A marking without an id under the number a conversion with an id names,
// never converted itself, was that document's, marked before the host gave it
// its id (accepted again later, its marking then carries the id and the
// number "."): its mark is settled by the conversion.
void SettlementBuilder::SettleMarkWithoutIdentity(uint32_t earlier) {
  if (earlier == kNoDocument) return;
  StoredDocument& marked = store_->documents[earlier];
  if (marked.identity == 0 && !marked.last.known) marked.openMark = false;
}

TextArena::Ref SettlementBuilder::NumberOf(StoredDocument& document, const JournalEntry& entry) {
  return document.shownNumber = store_->texts.Reuse(ShownText(entry.document), document.shownNumber);
}

RegisterTexts SettlementBuilder::TextsOf(StoredDocument& document, const JournalEntry& entry) {
  TextArena& texts = store_->texts;
  return {NumberOf(document, entry), texts.Intern(ShownText(entry.contractor)), texts.Intern(ShownText(entry.description))};
}

void SettlementBuilder::Removed(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  StoredDocument& document = store_->documents[index];
  document.registerState = RegisterState::Removed;
  document.failedRemovals = 0;
  if (!inPeriod) return;
  PeriodPart& part = PartOf(index);
  part.registerLine = true;
  if (part.removed.line == 0) {
    part.removed = StampOf(entry);
    part.removedTexts = TextsOf(document, entry);
    part.removedConversion = document.last;
  }
  ++part.removals;
}

void SettlementBuilder::Left(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  StoredDocument& document = store_->documents[index];
  document.registerState = RegisterState::Left;
  ++document.failedRemovals;
  document.lastLeftLine = entry.line;
  document.lastLeftDay = entry.day;
  document.lastLeftTime = entry.time;
  if (inPeriod) PartOf(index).registerLine = true;
  if (document.periodPart == kNoDocument) return;
  PeriodPart& part = store_->parts[document.periodPart];
  if (part.left == kNoDocument) {
    store_->lefts.emplace_back();
    part.left = static_cast<uint32_t>(store_->lefts.size() - 1);
  }
  store_->lefts[part.left] = TextsOf(document, entry);
}

// Names the part in the sections it belongs to.
void SettlementBuilder::Collect(uint32_t index, Settlement& out) const {
  const PeriodPart& part = store_->parts[index];
  const StoredDocument& document = store_->documents[part.document];
  if ((part.conversions > 0 || part.registerLine) && document.registerState == RegisterState::Left) {
    out.leftInJpk.Parts().push_back(index);
  }
  if (part.marked.line != 0 && document.openMark) out.markedNotConverted.Parts().push_back(index);
  if (part.removed.line != 0) {
    if (document.registerOnly) out.removedNotConverted.Parts().push_back(index);
    out.exclusions.Parts().push_back(index);
  }
  if (part.conversions > 0) {
    if (document.registerState == RegisterState::None) out.convertedNotRemoved.Parts().push_back(index);
    out.sales.Parts().push_back(index);
  }
}

namespace {

void AddUp(Settlement& s) {
  WideSum sales;
  WideSum differences;
  for (const Sale& sale : s.sales) {
    const bool before = sale.before.line != 0;
    s.convertedAgain += before || sale.conversions > 1;
    s.convertedBefore += before;
    if (!before && !sale.conversion.hasAmount) ++s.salesWithoutAmount;
    if (!before && sale.conversion.hasAmount) sales.Add(sale.conversion.amount);
    if (before && sale.conversion.hasAmount && sale.before.hasAmount) {
      differences.Add(sale.conversion.amount);
      differences.Add(-sale.before.amount);
    }
  }
  s.salesSum = sales.Result();
  s.differenceSum = differences.Result();
}

bool AnythingToLookAt(const Settlement& s) {
  return s.journal.unreadableCount > 0 || s.NoRecords() || s.salesSum.outOfRange || s.differenceSum.outOfRange ||
         s.salesWithoutAmount > 0 || s.convertedAgain > 0 || !s.removedNotConverted.empty() ||
         !s.convertedNotRemoved.empty() || !s.leftInJpk.empty() || !s.markedNotConverted.empty();
}

}  // namespace

Settlement SettlementBuilder::Finish(const JournalSummary& summary) {
  Settlement out;
  out.period = period_;
  out.journal = summary;
  out.periodLines = periodLines_;
  out.sales = {store_, &SettlementStore::SaleOf};
  out.convertedNotRemoved = {store_, &SettlementStore::SaleOf};
  out.exclusions = {store_, &SettlementStore::RemovalOf};
  out.removedNotConverted = {store_, &SettlementStore::RemovalOf};
  out.leftInJpk = {store_, &SettlementStore::LeftOf};
  out.markedNotConverted = {store_, &SettlementStore::MarkingOf};
  for (uint32_t part = 0; part < store_->parts.size(); ++part) Collect(part, out);
  const std::deque<PeriodPart>& parts = store_->parts;
  const auto saleLine = [&](uint32_t part) { return parts[part].converted.line; };
  const auto entryLine = [&](uint32_t part) { return parts[part].removed.line; };
  InLineOrder(out.sales, saleLine);
  InLineOrder(out.convertedNotRemoved, saleLine);
  InLineOrder(out.exclusions, entryLine);
  InLineOrder(out.removedNotConverted, entryLine);
  InLineOrder(out.leftInJpk, [&](uint32_t part) { return store_->documents[parts[part].document].lastLeftLine; });
  InLineOrder(out.markedNotConverted, [&](uint32_t part) { return parts[part].marked.line; });
  AddUp(out);
  out.status = AnythingToLookAt(out) ? SettlementStatus::ToLookAt : SettlementStatus::Agrees;
  return out;
}

bool SettleJournal(FileStream& file, const Period& period, Settlement& out) {
  SettlementBuilder builder(period);
  JournalSummary summary;
  const bool read = ReadJournal(file, builder, summary);
  out = builder.Finish(summary);
  return read;
}

}  // namespace kw::tools
