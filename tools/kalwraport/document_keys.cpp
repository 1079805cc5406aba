#include "document_keys.h"

namespace kw::tools {

namespace {

uint64_t Stored(uint64_t key) { return key == 0 ? 1 : key; }

}  // namespace

uint64_t KeyOf(KeyKind kind, uint64_t value) {
  uint64_t key = value + static_cast<uint64_t>(kind) * 0x9E3779B97F4A7C15ull;  // splitmix64's finish
  key = (key ^ (key >> 30)) * 0xBF58476D1CE4E5B9ull;
  key = (key ^ (key >> 27)) * 0x94D049BB133111EBull;
  return key ^ (key >> 31);
}

std::size_t DocumentKeys::SlotOf(uint64_t key) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = static_cast<std::size_t>(key ^ (key >> 32)) & mask;
  while (slots_[slot].key != 0 && slots_[slot].key != key) slot = (slot + 1) & mask;
  return slot;
}

uint32_t DocumentKeys::Find(uint64_t key) const {
  if (slots_.empty()) return kNoDocument;
  const Slot& slot = slots_[SlotOf(Stored(key))];
  return slot.key == 0 ? kNoDocument : slot.value;
}

uint32_t DocumentKeys::Set(uint64_t key, uint32_t value) {
  if (5 * (used_ + 1) > 4 * slots_.size()) Grow();
  key = Stored(key);
  Slot& slot = slots_[SlotOf(key)];
  const uint32_t old = slot.key == 0 ? kNoDocument : slot.value;
  used_ += slot.key == 0;
  slot = {key, value};
  return old;
}

void DocumentKeys::Grow() {
  std::vector<Slot> slots(slots_.empty() ? 1024 : 2 * slots_.size(), Slot{0, 0});
  slots.swap(slots_);
  for (const Slot& slot : slots) {
    if (slot.key != 0) slots_[SlotOf(slot.key)] = slot;
  }
}

std::size_t IdentityIndex::SlotOf(uint32_t identity) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = static_cast<std::size_t>(KeyOf(KeyKind::Identity, identity)) & mask;
  while (slots_[slot].identity != 0 && slots_[slot].identity != identity) slot = (slot + 1) & mask;
  return slot;
}

uint32_t IdentityIndex::Find(uint32_t identity) const {
  if (slots_.empty()) return kNoDocument;
  const Slot& slot = slots_[SlotOf(identity)];
  return slot.identity == 0 ? kNoDocument : slot.document;
}

void IdentityIndex::Add(uint32_t identity, uint32_t document) {
  if (5 * (used_ + 1) > 4 * slots_.size()) {
    std::vector<Slot> slots(slots_.empty() ? 1024 : 2 * slots_.size(), Slot{0, 0});
    slots.swap(slots_);
    for (const Slot& slot : slots) {
      if (slot.identity != 0) slots_[SlotOf(slot.identity)] = slot;
    }
  }
  slots_[SlotOf(identity)] = {identity, document};
  ++used_;
}

}  // namespace kw::tools
