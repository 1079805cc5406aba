#include "settlement.h"

#include <algorithm>
#include <new>

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

template <typename Row, typename SortKey>
void InLineOrder(RowList<Row>& list, SortKey lineOf) {
  std::sort(list.Parts().begin(), list.Parts().end(), [&](uint32_t a, uint32_t b) { return lineOf(a) < lineOf(b); });
}

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
  if (store_->documents.size() >= kNoDocument) throw std::bad_alloc();  // indices stay below kNoDocument
  StoredDocument& document = store_->documents.emplace_back();
  document = {};
  document.lastAmount = kAmountNone;
  document.previousWithNumber = document.failures = kNoDocument;
  document.registerOnly = registerOnly;
  const uint32_t index = static_cast<uint32_t>(store_->documents.size() - 1);
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
// host gave the document its id). A marking without an id is not of a
// document the host already gave an id (its lines carry it): it is a new
// document under a number used again, that its first line with an id joins.
uint32_t SettlementBuilder::DocumentOf(const JournalEntry& entry) {
  const uint64_t byNumberKey = KeyOf(KeyKind::Number, entry.numberKey);
  uint32_t index = kNoDocument;
  if (entry.identity == 0) {
    index = keys_.Find(byNumberKey);
    if (index != kNoDocument && entry.event == JournalEvent::Marked && store_->documents[index].identity != 0) {
      index = kNoDocument;
    }
  } else if ((index = identities_.Find(entry.identity)) == kNoDocument) {
    const uint32_t byNumber = keys_.Find(byNumberKey);
    if (byNumber != kNoDocument && store_->documents[byNumber].identity == 0 && !store_->documents[byNumber].Last().Known()) {
      index = byNumber;
    }
    if (index == kNoDocument) index = NewDocument(entry.numberKey, false);
    store_->documents[index].identity = entry.identity;
    identities_.Add(entry.identity, index);
  }
  if (index == kNoDocument) index = NewDocument(entry.numberKey, false);
  // A marking after a conversion keeps the number the conversion gave: it
  // names the document as it stood when marked again ("." once marked), and
  // the register's lines name it by its number.
  if (entry.event == JournalEvent::Converted || !store_->documents[index].Last().Known()) NameDocument(index, entry.numberKey);
  return index;
}

// A register line's document: the latest one converted with its number before
// the line, otherwise the register's own entry of that number.
uint32_t SettlementBuilder::RegisterDocumentOf(const JournalEntry& entry) {
  uint32_t index = keys_.Find(KeyOf(KeyKind::Number, entry.numberKey));
  while (index != kNoDocument) {
    const StoredDocument& document = store_->documents[index];
    if (document.Last().Known() && document.numberKey == entry.numberKey) return index;
    if (document.previousWithNumber >= index) break;  // older documents only: the walk ends
    index = document.previousWithNumber;
  }
  index = keys_.Find(KeyOf(KeyKind::RegisterNumber, entry.numberKey));
  return index != kNoDocument ? index : NewDocument(entry.numberKey, true);
}

void SettlementBuilder::Marked(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  store_->documents[index].openMark = true;
  if (inPeriod) {
    PeriodPart& part = store_->parts.Make(index);
    const TextArena::Ref number = NumberOf(part, entry);
    OpenMarking& marking = store_->MarkingOf(part);
    marking.line = PackLine(entry.line, entry.time);
    marking.day = entry.day;
    marking.amount = entry.hasAmount ? entry.amount : kAmountNone;
    marking.number = number;
  } else if (PeriodPart* part = store_->parts.Find(index)) {
    store_->CloseMarking(*part);  // marked again after the period
  }
}

// A conversion that replaces the document's last one: what the sections show
// of the one it replaces is held apart.
void SettlementBuilder::HoldReplacedConversion(uint32_t index, PeriodPart& part, bool inPeriod) {
  const Conversion last = store_->documents[index].Last();
  if (part.removed != 0 && !(part.held != kNoDocument && store_->held[part.held].removedHeld)) {
    HeldConversions& held = store_->Held(part);
    held.removed = last;
    held.removedHeld = true;
  }
  if (inPeriod) {
    if (part.held != kNoDocument) store_->held[part.held].convertedHeld = false;
    if (part.conversions == 0 && last.Known() && period_.from != kNoDay && last.day < period_.from) {
      store_->Held(part).before = last;
    }
  } else if (part.conversions > 0 && !(part.held != kNoDocument && store_->held[part.held].convertedHeld)) {
    HeldConversions& held = store_->Held(part);
    held.converted = last;
    held.convertedHeld = true;
  }
}

void SettlementBuilder::Converted(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  PeriodPart* part = inPeriod ? &store_->parts.Make(index) : store_->parts.Find(index);
  const int64_t amount = entry.hasAmount ? entry.amount : kAmountNone;
  if (part) {
    if (inPeriod && part->conversions > 0 && store_->ConvertedOf(index, *part).amount != amount) part->amountsDiffer = 1;
    HoldReplacedConversion(index, *part, inPeriod);
  }
  if (inPeriod) {
    part->converted = PackLine(entry.line, entry.time);
    part->convertedNumber = NumberOf(*part, entry);
    ++part->conversions;
  }
  CloseMark(index);
  StoredDocument& document = store_->documents[index];
  document.lastAmount = amount;
  document.lastDay = static_cast<uint32_t>(entry.day);
  if (entry.identity != 0) SettleMarkWithoutIdentity(document.previousWithNumber);
}

void SettlementBuilder::CloseMark(uint32_t index) {
  store_->documents[index].openMark = false;
  if (PeriodPart* part = store_->parts.Find(index)) store_->CloseMarking(*part);
}

// A marking without an id under the number a conversion with an id names,
// never converted itself, was that document's, marked before the host gave it
// its id (accepted again later, its marking then carries the id and the
// number "."): its mark is settled by the conversion.
void SettlementBuilder::SettleMarkWithoutIdentity(uint32_t earlier) {
  if (earlier == kNoDocument) return;
  const StoredDocument& marked = store_->documents[earlier];
  if (marked.identity == 0 && !marked.Last().Known()) CloseMark(earlier);
}

// The number as the line shows it, kept once while the document's lines show
// it alike.
TextArena::Ref SettlementBuilder::NumberOf(const PeriodPart& part, const JournalEntry& entry) {
  const TextArena::Ref marked = part.marking != kNoDocument ? store_->markings[part.marking].number : 0;
  return store_->texts.Reuse(ShownText(entry.document), {part.convertedNumber, part.removedNumber, marked});
}

void SettlementBuilder::Removed(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  StoredDocument& document = store_->documents[index];
  document.registerState = static_cast<uint32_t>(RegisterState::Removed);
  if (document.failures != kNoDocument) store_->failures[document.failures].count = 0;
  if (!inPeriod) return;
  PeriodPart& part = store_->parts.Make(index);
  part.registerLine = 1;
  if (part.removed == 0) {
    part.removed = PackLine(entry.line, entry.time);
    part.removedDay = entry.day;
    part.removedNumber = NumberOf(part, entry);
    part.removedParty = InternParty(store_->texts, ShownText(entry.contractor), ShownText(entry.description));
  }
  ++part.removals;
}

void SettlementBuilder::Left(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  StoredDocument& document = store_->documents[index];
  document.registerState = static_cast<uint32_t>(RegisterState::Left);
  if (document.failures == kNoDocument) {
    store_->failures.emplace_back();
    document.failures = static_cast<uint32_t>(store_->failures.size() - 1);
  }
  FailedRemovals& failed = store_->failures[document.failures];
  ++failed.count;
  failed.line = PackLine(entry.line, entry.time);
  failed.day = entry.day;
  failed.conversion = document.Last();
  failed.party = InternParty(store_->texts, ShownText(entry.contractor), ShownText(entry.description));
  if (inPeriod) store_->parts.Make(index).registerLine = 1;
  const PeriodPart* part = store_->parts.Find(index);
  failed.number = part ? NumberOf(*part, entry) : 0;
}

// Names the document in the sections it belongs to.
void SettlementBuilder::Collect(uint32_t index, const PeriodPart& part, Settlement& out) const {
  const StoredDocument& document = store_->documents[index];
  const auto state = static_cast<RegisterState>(document.registerState);
  if ((part.conversions > 0 || part.registerLine) && state == RegisterState::Left) out.leftInJpk.Parts().push_back(index);
  if (part.marking != kNoDocument && document.openMark) out.markedNotConverted.Parts().push_back(index);
  if (part.removed != 0) {
    if (document.registerOnly) out.removedNotConverted.Parts().push_back(index);
    out.exclusions.Parts().push_back(index);
  }
  if (part.conversions > 0) {
    if (state == RegisterState::None) out.convertedNotRemoved.Parts().push_back(index);
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
  keys_ = DocumentKeys();  // no line follows: the lookups are done with
  identities_ = IdentityIndex();
  store_->texts.ForgetLookups();
  Settlement out;
  out.period = period_;
  out.journal = summary;
  out.periodLines = periodLines_;
  out.sales = {store_, &SettlementStore::SaleOf};
  out.convertedNotRemoved = {store_, &SettlementStore::SaleOf};
  out.exclusions = {store_, &SettlementStore::RemovalOf};
  out.removedNotConverted = {store_, &SettlementStore::RemovalOf};
  out.leftInJpk = {store_, &SettlementStore::LeftOf};
  out.markedNotConverted = {store_, &SettlementStore::MarkingRowOf};
  const PeriodParts& parts = store_->parts;
  for (uint32_t document = 0; document < parts.End(); ++document) {
    if (const PeriodPart* part = parts.Find(document)) Collect(document, *part, out);
  }
  const auto saleLine = [&](uint32_t document) { return parts.Find(document)->converted; };
  const auto entryLine = [&](uint32_t document) { return parts.Find(document)->removed; };
  InLineOrder(out.sales, saleLine);
  InLineOrder(out.convertedNotRemoved, saleLine);
  InLineOrder(out.exclusions, entryLine);
  InLineOrder(out.removedNotConverted, entryLine);
  InLineOrder(out.leftInJpk, [&](uint32_t document) { return store_->failures[store_->documents[document].failures].line; });
  InLineOrder(out.markedNotConverted, [&](uint32_t document) { return store_->markings[parts.Find(document)->marking].line; });
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
