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
  BorrowedRecord() = default;
  explicit BorrowedRecord(HostTable* table) { Keep(table); }
  ~BorrowedRecord() { PutBack(); }

  // Keeps the record in `table`'s buffer (at most Room bytes of it), unless
  // one is kept already; a table or buffer that is not there keeps nothing.
  void Keep(HostTable* table) {
    if (table_ || !table || !table->RecordBuffer || table->RecordLength <= 0) return;
    table_ = table;
    buffer_ = table->RecordBuffer;
    length_ = table->RecordLength < Room ? table->RecordLength : Room;
    std::memcpy(kept_, buffer_, length_);
  }
  BorrowedRecord(const BorrowedRecord&) = delete;
  BorrowedRecord& operator=(const BorrowedRecord&) = delete;

  // The kept record goes back, once. A host that has given the table another
  // buffer meanwhile keeps its record there: the old buffer is left alone.
  void PutBack() {
    if (table_ && table_->RecordBuffer == buffer_) std::memcpy(buffer_, kept_, length_);
    table_ = nullptr;
  }

 private:
  HostTable* table_ = nullptr;
  uint8_t* buffer_ = nullptr;
  int length_ = 0;
  uint8_t kept_[Room];
};

}  // namespace kw
