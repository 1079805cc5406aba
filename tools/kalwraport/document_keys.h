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

// A table from a document's link id to the document's index, eight bytes a
// slot (the id beside the index, so that a lookup reads no document): open
// addressing, grown by doubling at four fifths full.
class IdentityIndex {
 public:
  uint32_t Find(uint32_t identity) const;  // kNoDocument when unknown
  // Adds an id (never 0, "none") the table does not hold yet.
  void Add(uint32_t identity, uint32_t document);

 private:
  struct Slot {
    uint32_t identity;  // 0: an empty slot
    uint32_t document;
  };
  std::size_t SlotOf(uint32_t identity) const;

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

// Keys of different kinds kept apart in one table.
enum class KeyKind : uint64_t { Identity = 1, Number = 2, RegisterNumber = 3, Text = 4 };
uint64_t KeyOf(KeyKind kind, uint64_t value);

}  // namespace kw::tools
