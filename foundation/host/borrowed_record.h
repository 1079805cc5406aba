// A table's record buffer borrowed by a handler of the module. The host may
// hold a record of its own in the buffer when it calls the module (the
// document it edits, the contractor on its screen, the register entry in
// hand): what stood there is kept, and put back when the handler is done with
// the buffer, before it returns or hands the event on. Handlers the host runs
// inside the borrower's host calls borrow and put back in turn, so each level
// gets back what it had.
#pragma once

#include <cstdint>
#include <cstring>

#include "host_records.h"

namespace kw {

// The room kept for a contractor record, whose length the module does not
// check (the fields it reads end at byte 1536).
inline constexpr int kContractorRecordKept = 4096;

template <int Room>
class BorrowedRecord {
 public:
  // Keeps the record in `table`'s buffer (at most Room bytes of it); a table
  // or buffer that is not there keeps nothing.
  explicit BorrowedRecord(HostTable* table)
      : table_(table), buffer_(table ? table->RecordBuffer : nullptr), length_(0) {
    if (buffer_ && table->RecordLength > 0) length_ = table->RecordLength < Room ? table->RecordLength : Room;
    if (length_ > 0) std::memcpy(kept_, buffer_, length_);
  }
  ~BorrowedRecord() { PutBack(); }
  BorrowedRecord(const BorrowedRecord&) = delete;
  BorrowedRecord& operator=(const BorrowedRecord&) = delete;

  // The kept record goes back, once. A host that has given the table another
  // buffer meanwhile keeps its record there: the old buffer is left alone.
  void PutBack() {
    if (length_ > 0 && table_->RecordBuffer == buffer_) std::memcpy(buffer_, kept_, length_);
    length_ = 0;
  }

 private:
  HostTable* table_;
  uint8_t* buffer_;
  int length_;
  uint8_t kept_[Room];
};

}  // namespace kw
