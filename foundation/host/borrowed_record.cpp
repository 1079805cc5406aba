#include "borrowed_record.h"

#include <cstring>

namespace kw {

void RecordKeeper::Keep(HostTable* table) {
  if (table_ || !table || !table->RecordBuffer || table->RecordLength <= 0) return;
  table_ = table;
  buffer_ = table->RecordBuffer;
  length_ = table->RecordLength < roomSize_ ? table->RecordLength : roomSize_;
  std::memcpy(room_, buffer_, length_);
}

void RecordKeeper::PutBack() {
  if (table_ && table_->RecordBuffer == buffer_) std::memcpy(buffer_, room_, length_);
  table_ = nullptr;
}

}  // namespace kw
