#include "settlement.h"

#include <algorithm>

namespace kw::tools {

namespace {

enum class RegisterState : uint8_t { None, Removed, Left };

Moment MomentOf(const JournalEntry& entry) {
  return {entry.line, entry.day, entry.time, entry.hasAmount, entry.amount};
}

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

template <typename T, typename LineOf>
void InLineOrder(std::vector<T>& items, LineOf lineOf) {
  std::sort(items.begin(), items.end(), [&](const T& a, const T& b) { return lineOf(a) < lineOf(b); });
}

}  // namespace

struct SettlementBuilder::Document {
  uint64_t numberKey = 0;                     // the number it was last named by
  uint32_t identity = 0;                      // its link id, 0 while none is known
  uint32_t previousWithNumber = kNoDocument;  // the document its number named before it
  uint32_t periodPart = kNoDocument;          // in inPeriod_
  uint32_t failedRemovals = 0;                // since the last removal that worked
  RegisterState registerState = RegisterState::None;  // by its last register line
  bool named = false;                         // numberKey is set
  bool registerOnly = false;                  // register lines no conversion before them explains
  bool converted = false;
  bool openMark = false;                      // marked after its last conversion
  bool lastHasAmount = false;
  JournalDay lastConversionDay = kNoDay;
  int64_t lastAmount = 0;  // of the last conversion
  int64_t lastLeftLine = 0;  // the last failed removal
  JournalDay lastLeftDay = kNoDay;
  int32_t lastLeftTime = 0;
};

struct SettlementBuilder::InPeriod {
  uint32_t document;
  Sale sale{};                  // conversion.line 0: not converted in the period
  RegisterEntry removal{};      // entry.line 0: not removed in the period
  uint32_t left = kNoDocument;  // the texts of its last failed removal seen, in lefts_
  Marking marking{};            // marked.line 0: its last marking is not in the period
  bool registerLine = false;    // a register line dated in the period
};

SettlementBuilder::SettlementBuilder(const Period& period) : period_(period) {}
SettlementBuilder::~SettlementBuilder() = default;

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
  documents_.emplace_back();
  const uint32_t index = static_cast<uint32_t>(documents_.size() - 1);
  documents_.back().registerOnly = registerOnly;
  if (registerOnly) keys_.Set(KeyOf(KeyKind::RegisterNumber, numberKey), index);
  return index;
}

void SettlementBuilder::NameDocument(uint32_t index, uint64_t numberKey) {
  Document& document = documents_[index];
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
    if (byNumber != kNoDocument && documents_[byNumber].identity == 0 && !documents_[byNumber].converted) {
      index = byNumber;
    }
    if (index == kNoDocument) index = NewDocument(entry.numberKey, false);
    documents_[index].identity = entry.identity;
    keys_.Set(KeyOf(KeyKind::Identity, entry.identity), index);
  }
  if (index == kNoDocument) index = NewDocument(entry.numberKey, false);
  NameDocument(index, entry.numberKey);
  return index;
}

// A register line's document: the latest one converted with its number before
// the line, otherwise the register's own entry of that number.
uint32_t SettlementBuilder::RegisterDocumentOf(const JournalEntry& entry) {
  uint32_t index = keys_.Find(KeyOf(KeyKind::Number, entry.numberKey));
  while (index != kNoDocument) {
    const Document& document = documents_[index];
    if (document.converted && document.numberKey == entry.numberKey) return index;
    if (document.previousWithNumber >= index) break;  // older documents only: the walk ends
    index = document.previousWithNumber;
  }
  index = keys_.Find(KeyOf(KeyKind::RegisterNumber, entry.numberKey));
  return index != kNoDocument ? index : NewDocument(entry.numberKey, true);
}

SettlementBuilder::InPeriod& SettlementBuilder::PeriodPart(uint32_t index) {
  Document& document = documents_[index];
  if (document.periodPart == kNoDocument) {
    inPeriod_.emplace_back();
    inPeriod_.back().document = index;
    document.periodPart = static_cast<uint32_t>(inPeriod_.size() - 1);
  }
  return inPeriod_[document.periodPart];
}


void SettlementBuilder::Marked(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  Document& document = documents_[index];
  document.openMark = true;
  if (inPeriod) {
    PeriodPart(index).marking = {MomentOf(entry), ShownText(entry.document)};
  } else if (document.periodPart != kNoDocument) {
    inPeriod_[document.periodPart].marking.marked.line = 0;  // marked again after the period
  }
}

void SettlementBuilder::Converted(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  Document& document = documents_[index];
  if (inPeriod) {
    Sale& sale = PeriodPart(index).sale;
    if (sale.conversions == 0 && document.converted && period_.from != kNoDay &&
        document.lastConversionDay < period_.from) {
      sale.before = {1, document.lastConversionDay, 0, document.lastHasAmount, document.lastAmount};
    }
    if (sale.conversions > 0 && (sale.conversion.hasAmount != entry.hasAmount || sale.conversion.amount != entry.amount)) {
      sale.amountsDiffer = true;
    }
    sale.conversion = MomentOf(entry);
    sale.document = ShownText(entry.document);
    ++sale.conversions;
  }
  document.openMark = false;
  document.converted = true;
  document.lastConversionDay = entry.day;
  document.lastHasAmount = entry.hasAmount;
  document.lastAmount = entry.amount;
}

RegisterEntry SettlementBuilder::EntryOf(const JournalEntry& entry, const Document& document) const {
  RegisterEntry shown{{entry.line, entry.day, entry.time, false, 0},
                      ShownText(entry.document), ShownText(entry.contractor), ShownText(entry.description), 0, {}};
  if (document.converted) shown.conversion = {1, document.lastConversionDay, 0, document.lastHasAmount, document.lastAmount};
  return shown;
}

void SettlementBuilder::Removed(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  Document& document = documents_[index];
  document.registerState = RegisterState::Removed;
  document.failedRemovals = 0;
  if (!inPeriod) return;
  InPeriod& part = PeriodPart(index);
  part.registerLine = true;
  if (part.removal.entry.line == 0) part.removal = EntryOf(entry, document);
  ++part.removal.times;
}

void SettlementBuilder::Left(uint32_t index, const JournalEntry& entry, bool inPeriod) {
  Document& document = documents_[index];
  document.registerState = RegisterState::Left;
  ++document.failedRemovals;
  document.lastLeftLine = entry.line;
  document.lastLeftDay = entry.day;
  document.lastLeftTime = entry.time;
  if (inPeriod) PeriodPart(index).registerLine = true;
  if (document.periodPart == kNoDocument) return;
  InPeriod& part = inPeriod_[document.periodPart];
  if (part.left == kNoDocument) {
    lefts_.emplace_back();
    part.left = static_cast<uint32_t>(lefts_.size() - 1);
  }
  lefts_[part.left] = EntryOf(entry, document);
}

// Moves the part's rows into the settlement: the builder is done with them.
void SettlementBuilder::Collect(const Document& document, InPeriod& part, Settlement& out) {
  Sale& sale = part.sale;
  if ((sale.conversions > 0 || part.registerLine) && document.registerState == RegisterState::Left) {
    RegisterEntry left = part.left == kNoDocument ? RegisterEntry{} : std::move(lefts_[part.left]);
    if (left.document.empty()) left.document = sale.document;
    left.entry = {document.lastLeftLine, document.lastLeftDay, document.lastLeftTime, false, 0};
    left.times = static_cast<int32_t>(document.failedRemovals);
    left.conversion = {};
    if (document.converted) left.conversion = {1, document.lastConversionDay, 0, document.lastHasAmount, document.lastAmount};
    out.leftInJpk.push_back(std::move(left));
  }
  if (part.marking.marked.line != 0 && document.openMark) out.markedNotConverted.push_back(std::move(part.marking));
  if (part.removal.entry.line != 0) {
    if (document.registerOnly) out.removedNotConverted.push_back(part.removal);
    out.exclusions.push_back(std::move(part.removal));
  }
  if (sale.conversions > 0) {
    if (document.registerState == RegisterState::None) out.convertedNotRemoved.push_back(sale);
    out.sales.push_back(std::move(sale));
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
  for (InPeriod& part : inPeriod_) Collect(documents_[part.document], part, out);
  inPeriod_.clear();
  lefts_.clear();
  const auto saleLine = [](const Sale& sale) { return sale.conversion.line; };
  const auto entryLine = [](const RegisterEntry& entry) { return entry.entry.line; };
  InLineOrder(out.sales, saleLine);
  InLineOrder(out.convertedNotRemoved, saleLine);
  InLineOrder(out.exclusions, entryLine);
  InLineOrder(out.removedNotConverted, entryLine);
  InLineOrder(out.leftInJpk, entryLine);
  InLineOrder(out.markedNotConverted, [](const Marking& marking) { return marking.marked.line; });
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
