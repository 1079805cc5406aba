#include "kept_record.h"

#include <cstring>

namespace kw {

namespace {

// The room for the kept records, taken and given back in the order of the
// handlers' nesting (keepers live on the handlers' stacks). A record is at
// most 32 767 bytes (its length is a 16-bit number): the room holds the
// records of a conversion and a register pass nested in each other several
// times over at the lengths the module is built for, and two contractor
// records of the longest length.
constexpr int kRoom = 65536;
alignas(8) uint8_t room[kRoom];
int roomUsed = 0;

}  // namespace

bool KeptRecord::Keep(HostTable* table) {
  if (length_ > 0 || !table || !table->RecordBuffer || table->RecordLength <= 0) return true;
  // Kept and put back before: its place is the room's end unless a keeper
  // made after it still holds the room beyond.
  if (table_ && roomUsed != at_ + reserved_) return false;
  const int at = table_ ? at_ : roomUsed;
  if (table->RecordLength > kRoom - at) return false;
  table_ = table;
  buffer_ = table->RecordBuffer;
  length_ = table->RecordLength;
  at_ = at;
  reserved_ = length_;
  roomUsed = at_ + length_;
  std::memcpy(room + at_, buffer_, length_);
  return true;
}

void KeptRecord::PutBack() {
  if (table_ && length_ > 0 && table_->RecordBuffer == buffer_) std::memcpy(buffer_, room + at_, length_);
  length_ = 0;
}

KeptRecord::~KeptRecord() {
  PutBack();
  if (table_) roomUsed = at_;
}

}  // namespace kw
