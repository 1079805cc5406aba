#include "settlement_store.h"

#include <cstring>
#include <limits>
#include <new>

#include "line_splitter.h"
#include "settlement.h"

namespace kw::tools {

namespace {

uint64_t HashOf(std::string_view text) {  // FNV-1a
  uint64_t hash = 0xCBF29CE484222325ull;
  for (const char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001B3ull;
  return hash;
}

// A shown field is at most its kept bytes in UTF-8 (three for a Windows-1250
// byte) and the mark of what is cut; a party two of them.
constexpr std::size_t kBlockBytes = std::size_t{1} << 16;
constexpr std::size_t kLengthBytes = sizeof(uint16_t);
static_assert(2 * (3 * kKeptFieldBytes + 64) + 2 * kLengthBytes < kBlockBytes, "a text must fit a block");

Moment MomentOf(const Conversion& conversion) {
  if (!conversion.Known()) return {};
  const bool hasAmount = conversion.amount != kAmountNone;
  return {1, conversion.day, 0, hasAmount, hasAmount ? conversion.amount : 0};
}

Moment MomentOf(uint64_t line, JournalDay day, int64_t amount) {
  const bool hasAmount = amount != kAmountNone;
  return {LineOf(line), day, TimeOf(line), hasAmount, hasAmount ? amount : 0};
}

}  // namespace

std::string_view TextArena::At(Ref ref) const {
  if (ref == 0) return {};
  const char* at = blocks_[ref / kBlockBytes].get() + ref % kBlockBytes;
  uint16_t size = 0;
  std::memcpy(&size, at, sizeof size);
  return std::string_view(at + sizeof size, size);
}

TextArena::Ref TextArena::Intern(std::string_view text) {
  if (text.empty()) return 0;
  const uint64_t key = KeyOf(KeyKind::Text, HashOf(text));
  const uint32_t known = known_.Find(key);
  if (known != kNoDocument && At(known) == text) return known;
  const Ref ref = Append(text);
  if (known == kNoDocument) known_.Set(key, ref);
  return ref;
}

TextArena::Ref TextArena::Reuse(std::string_view text, std::initializer_list<Ref> known) {
  if (text.empty()) return 0;
  for (const Ref ref : known) {
    if (At(ref) == text) return ref;
  }
  return Append(text);
}

// Offsets stay 32-bit: an arena that would pass them is out of memory.
TextArena::Ref TextArena::Append(std::string_view text) {
  const std::size_t size = std::min(text.size(), kBlockBytes - kLengthBytes - 1);
  if (blocks_.empty() || used_ + kLengthBytes + size > kBlockBytes) {
    if (blocks_.size() >= std::numeric_limits<Ref>::max() / kBlockBytes) throw std::bad_alloc();
    blocks_.emplace_back(new char[kBlockBytes]);
    used_ = blocks_.size() == 1;  // offset 0 is the empty text
  }
  const Ref ref = static_cast<Ref>((blocks_.size() - 1) * kBlockBytes + used_);
  const uint16_t length = static_cast<uint16_t>(size);
  char* at = blocks_.back().get() + used_;
  std::memcpy(at, &length, sizeof length);
  std::memcpy(at + sizeof length, text.data(), size);
  used_ += sizeof length + size;
  return ref;
}

TextArena::Ref InternParty(TextArena& texts, std::string_view contractor, std::string_view description) {
  if (contractor.empty() && description.empty()) return 0;
  const uint16_t length = static_cast<uint16_t>(contractor.size());
  std::string party(reinterpret_cast<const char*>(&length), sizeof length);
  party.append(contractor).append(description);
  return texts.Intern(party);
}

void PartyTexts(const TextArena& texts, TextArena::Ref party, std::string& contractor, std::string& description) {
  const std::string_view both = texts.At(party);
  if (both.empty()) return contractor.clear(), description.clear();
  uint16_t length = 0;
  std::memcpy(&length, both.data(), sizeof length);
  contractor = std::string(both.substr(sizeof length, length));
  description = std::string(both.substr(sizeof length + length));
}

PeriodPart* PeriodParts::Find(uint32_t document) {
  const std::size_t page = document >> kPageBits;
  if (page >= pages_.size() || !pages_[page]) return nullptr;
  PeriodPart& part = pages_[page][document & ((1u << kPageBits) - 1)];
  return part.present ? &part : nullptr;
}

const PeriodPart* PeriodParts::Find(uint32_t document) const { return const_cast<PeriodParts*>(this)->Find(document); }

PeriodPart& PeriodParts::Make(uint32_t document) {
  const std::size_t page = document >> kPageBits;
  if (page >= pages_.size()) pages_.resize(page + 1);
  if (!pages_[page]) pages_[page].reset(new PeriodPart[std::size_t{1} << kPageBits]());
  PeriodPart& part = pages_[page][document & ((1u << kPageBits) - 1)];
  if (!part.present) {
    part.present = 1;
    part.held = part.marking = kNoDocument;
  }
  return part;
}

HeldConversions& SettlementStore::Held(PeriodPart& part) {
  if (part.held == kNoDocument) {
    held.emplace_back();
    part.held = static_cast<uint32_t>(held.size() - 1);
  }
  return held[part.held];
}

OpenMarking& SettlementStore::MarkingOf(PeriodPart& part) {
  if (part.marking != kNoDocument) return markings[part.marking];
  if (freeMarking != kNoDocument) {
    part.marking = freeMarking;
    freeMarking = markings[freeMarking].nextFree;
  } else {
    markings.emplace_back();
    part.marking = static_cast<uint32_t>(markings.size() - 1);
  }
  return markings[part.marking];
}

void SettlementStore::CloseMarking(PeriodPart& part) {
  if (part.marking == kNoDocument) return;
  markings[part.marking].nextFree = freeMarking;
  freeMarking = part.marking;
  part.marking = kNoDocument;
}

Conversion SettlementStore::ConvertedOf(uint32_t document, const PeriodPart& part) const {
  if (part.held != kNoDocument && held[part.held].convertedHeld) return held[part.held].converted;
  return documents[document].Last();
}

Conversion SettlementStore::RemovedConversionOf(uint32_t document, const PeriodPart& part) const {
  if (part.held != kNoDocument && held[part.held].removedHeld) return held[part.held].removed;
  return documents[document].Last();
}

Sale SettlementStore::SaleOf(uint32_t document) const {
  const PeriodPart& part = *parts.Find(document);
  const Conversion converted = ConvertedOf(document, part);
  const Conversion before = part.held != kNoDocument ? held[part.held].before : Conversion{};
  return {MomentOf(part.converted, converted.day, converted.amount), texts.Text(part.convertedNumber),
          static_cast<int32_t>(part.conversions), part.amountsDiffer != 0, MomentOf(before)};
}

RegisterEntry SettlementStore::RemovalOf(uint32_t document) const {
  const PeriodPart& part = *parts.Find(document);
  RegisterEntry entry{MomentOf(part.removed, part.removedDay, kAmountNone), texts.Text(part.removedNumber), "", "",
                      static_cast<int32_t>(part.removals), MomentOf(RemovedConversionOf(document, part))};
  PartyTexts(texts, part.removedParty, entry.contractor, entry.description);
  return entry;
}

RegisterEntry SettlementStore::LeftOf(uint32_t document) const {
  const PeriodPart& part = *parts.Find(document);
  const StoredDocument& stored = documents[document];
  const FailedRemovals& failed = failures[stored.failures];
  RegisterEntry left{};
  left.document = texts.Text(failed.number);
  PartyTexts(texts, failed.party, left.contractor, left.description);
  if (left.document.empty()) left.document = texts.Text(part.convertedNumber);
  left.entry = MomentOf(failed.line, failed.day, kAmountNone);
  left.times = static_cast<int32_t>(failed.count);
  left.conversion = MomentOf(failed.conversion);
  return left;
}

Marking SettlementStore::MarkingRowOf(uint32_t document) const {
  const OpenMarking& marking = markings[parts.Find(document)->marking];
  return {MomentOf(marking.line, marking.day, marking.amount), texts.Text(marking.number)};
}

}  // namespace kw::tools
