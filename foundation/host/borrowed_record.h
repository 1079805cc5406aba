// A table's record buffer borrowed by a handler of the module. The host may
// hold a record of its own in the buffer when it calls the module (the
// document it edits, the contractor on its screen, the register entry in
// hand): what stood there is kept, and put back when the handler is done with
// the buffer, before it returns or hands the event on. Handlers the host runs
// inside the borrower's host calls borrow and put back in turn, so each level
// gets back what it had.
#pragma once

#include <cstdint>

#include "host_records.h"

namespace kw {

// The room kept for a contractor record, whose length the module does not
// check (the fields it reads end at byte 1536).
inline constexpr int kContractorRecordKept = 4096;

class RecordKeeper {
 public:
  RecordKeeper(const RecordKeeper&) = delete;
  RecordKeeper& operator=(const RecordKeeper&) = delete;

  // Keeps the record in `table`'s buffer (as much of it as there is room
  // for), unless one is kept already; a table or buffer that is not there
  // keeps nothing.
  void Keep(HostTable* table);
  // The kept record goes back, once. A host that has given the table another
  // buffer meanwhile keeps its record there: the old buffer is left alone.
  void PutBack();

 protected:
  RecordKeeper(uint8_t* room, int size) : room_(room), roomSize_(size) {}
  ~RecordKeeper() { PutBack(); }

 private:
  uint8_t* const room_;
  const int roomSize_;
  HostTable* table_ = nullptr;
  uint8_t* buffer_ = nullptr;
  int length_ = 0;
};

template <int Room>
class BorrowedRecord : public RecordKeeper {
 public:
  BorrowedRecord() : RecordKeeper(kept_, Room) {}
  explicit BorrowedRecord(HostTable* table) : RecordKeeper(kept_, Room) { Keep(table); }

 private:
  uint8_t kept_[Room];
};

}  // namespace kw
