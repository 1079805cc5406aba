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
  const std::size_t mask = keys_.size() - 1;
  std::size_t slot = static_cast<std::size_t>(key ^ (key >> 32)) & mask;
  while (keys_[slot] != 0 && keys_[slot] != key) slot = (slot + 1) & mask;
  return slot;
}

uint32_t DocumentKeys::Find(uint64_t key) const {
  if (keys_.empty()) return kNoDocument;
  const std::size_t slot = SlotOf(Stored(key));
  return keys_[slot] == 0 ? kNoDocument : values_[slot];
}

uint32_t DocumentKeys::Set(uint64_t key, uint32_t value) {
  if (5 * (used_ + 1) > 4 * keys_.size()) Grow();
  key = Stored(key);
  const std::size_t slot = SlotOf(key);
  const uint32_t old = keys_[slot] == 0 ? kNoDocument : values_[slot];
  if (keys_[slot] == 0) ++used_;
  keys_[slot] = key;
  values_[slot] = value;
  return old;
}

void DocumentKeys::Grow() {
  std::vector<uint64_t> keys(keys_.empty() ? 1024 : 2 * keys_.size(), 0);
  std::vector<uint32_t> values(keys.size());
  keys.swap(keys_);
  values.swap(values_);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == 0) continue;
    const std::size_t slot = SlotOf(keys[i]);
    keys_[slot] = keys[i];
    values_[slot] = values[i];
  }
}

}  // namespace kw::tools
