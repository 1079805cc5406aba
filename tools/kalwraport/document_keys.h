// A table from 64-bit keys (a document's link id, its number's hash) to the
// index of a document, without an allocation per entry: open addressing,
// each key beside its value (one cache line read for a lookup), grown by
// doubling at four fifths full.
#pragma once

#include <cstdint>
#include <vector>

namespace kw::tools {

constexpr uint32_t kNoDocument = 0xFFFFFFFFu;

class DocumentKeys {
 public:
  // The value of `key`, or kNoDocument.
  uint32_t Find(uint64_t key) const;
  // Sets the value of `key`; returns the one it replaces, or kNoDocument.
  uint32_t Set(uint64_t key, uint32_t value);

 private:
  std::size_t SlotOf(uint64_t key) const;
  void Grow();

#pragma pack(push, 4)
  struct Slot {
    uint64_t key;  // 0: an empty slot (a key 0 is stored as 1)
    uint32_t value;
  };
#pragma pack(pop)

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

// A table from a document's link id to the document's index, four bytes a
// slot: the id is read from the document's own record (idOf(index)), not kept
// twice. Open addressing, grown by doubling at four fifths full.
class IdentityIndex {
 public:
  template <typename IdOf>
  uint32_t Find(uint32_t identity, const IdOf& idOf) const {
    if (slots_.empty()) return kNoDocument;
    std::size_t slot = HomeOf(identity);
    while (slots_[slot] != kNoDocument && idOf(slots_[slot]) != identity) slot = (slot + 1) & (slots_.size() - 1);
    return slots_[slot];
  }
  // Adds a document whose id the table does not hold yet.
  template <typename IdOf>
  void Add(uint32_t document, const IdOf& idOf) {
    if (5 * (used_ + 1) > 4 * slots_.size()) {
      std::vector<uint32_t> slots(slots_.empty() ? 1024 : 2 * slots_.size(), kNoDocument);
      slots.swap(slots_);
      for (const uint32_t known : slots) {
        if (known != kNoDocument) Place(known, idOf(known));
      }
    }
    Place(document, idOf(document));
    ++used_;
  }

 private:
  std::size_t HomeOf(uint32_t identity) const;
  void Place(uint32_t document, uint32_t identity);

  std::vector<uint32_t> slots_;  // kNoDocument: empty
  std::size_t used_ = 0;
};

// Keys of different kinds kept apart in one table.
enum class KeyKind : uint64_t { Identity = 1, Number = 2, RegisterNumber = 3, Text = 4 };
uint64_t KeyOf(KeyKind kind, uint64_t value);

}  // namespace kw::tools
