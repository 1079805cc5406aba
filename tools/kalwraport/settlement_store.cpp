#include "settlement_store.h"

#include <cstring>
#include <limits>
#include <new>

#include "settlement.h"

namespace kw::tools {

namespace {

uint64_t HashOf(std::string_view text) {  // FNV-1a
  uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001B3ull;
  return hash;
}

Moment MomentOf(const Conversion& conversion) {
  if (!conversion.known) return {};
  return {1, conversion.day, 0, conversion.hasAmount, conversion.amount};
}

}  // namespace

std::string_view TextArena::At(Ref ref) const {
  uint32_t size = 0;
  std::memcpy(&size, bytes_.data() + ref, sizeof size);
  return std::string_view(bytes_.data() + ref + sizeof size, size);
}

std::string TextArena::Text(Ref ref) const { return std::string(At(ref)); }

TextArena::Ref TextArena::Intern(std::string_view text) {
  if (text.empty()) return 0;
  const uint64_t key = KeyOf(KeyKind::Text, HashOf(text));
  const uint32_t known = known_.Find(key);
  if (known != kNoDocument && At(known) == text) return known;
  const Ref ref = Append(text);
  if (known == kNoDocument) known_.Set(key, ref);
  return ref;
}

TextArena::Ref TextArena::Reuse(std::string_view text, Ref known) {
  if (text.empty()) return 0;
  return At(known) == text ? known : Append(text);
}

// Offsets stay 32-bit: an arena that would pass them is out of memory.
TextArena::Ref TextArena::Append(std::string_view text) {
  if (bytes_.size() + text.size() + sizeof(uint32_t) >= std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
  const Ref ref = static_cast<Ref>(bytes_.size());
  const uint32_t size = static_cast<uint32_t>(text.size());
  bytes_.append(reinterpret_cast<const char*>(&size), sizeof size);
  bytes_.append(text);
  return ref;
}

Sale SettlementStore::SaleOf(uint32_t index) const {
  const PeriodPart& part = parts[index];
  return {{part.converted.line, part.converted.day, part.converted.time, part.convertedHasAmount, part.convertedAmount},
          texts.Text(part.convertedNumber), part.conversions, part.amountsDiffer, MomentOf(part.before)};
}

RegisterEntry SettlementStore::RemovalOf(uint32_t index) const {
  const PeriodPart& part = parts[index];
  const RegisterTexts& shown = part.removedTexts;
  return {{part.removed.line, part.removed.day, part.removed.time, false, 0}, texts.Text(shown.document),
          texts.Text(shown.contractor), texts.Text(shown.description), part.removals, MomentOf(part.removedConversion)};
}

RegisterEntry SettlementStore::LeftOf(uint32_t index) const {
  const PeriodPart& part = parts[index];
  const StoredDocument& document = documents[part.document];
  RegisterEntry left{};
  if (part.left != kNoDocument) {
    left.document = texts.Text(lefts[part.left].document);
    left.contractor = texts.Text(lefts[part.left].contractor);
    left.description = texts.Text(lefts[part.left].description);
  }
  if (left.document.empty()) left.document = texts.Text(part.convertedNumber);
  left.entry = {document.lastLeftLine, document.lastLeftDay, document.lastLeftTime, false, 0};
  left.times = static_cast<int32_t>(document.failedRemovals);
  left.conversion = MomentOf(document.last);
  return left;
}

Marking SettlementStore::MarkingOf(uint32_t index) const {
  const PeriodPart& part = parts[index];
  return {{part.marked.line, part.marked.day, part.marked.time, part.markedHasAmount, part.markedAmount},
          texts.Text(part.markedNumber)};
}

}  // namespace kw::tools
