// A table's record buffer borrowed by a handler of the module. The host may
// hold a record of its own in the buffer when it calls the module (the
// document it edits, the contractor on its screen, the register entry in
// hand): what stood there is kept, and put back when the handler is done with
// the buffer, before it returns or hands the event on. Handlers the host runs
// inside the borrower's host calls keep and put back in turn, so each level
// gets back what it had.
#pragma once

#include <cstdint>

#include "host_records.h"

namespace kw {

class KeptRecord {
 public:
  KeptRecord() = default;
  explicit KeptRecord(HostTable* table) { Keep(table); }
  ~KeptRecord();
  KeptRecord(const KeptRecord&) = delete;
  KeptRecord& operator=(const KeptRecord&) = delete;

  // Keeps the whole record in `table`'s buffer, unless one is kept already;
  // after PutBack it keeps again. False when the record could not be kept
  // (the room for kept records is full: handlers nested deeper than the host
  // can mean; or, after PutBack, a keeper made after this one still holds
  // its place): the caller must then leave the buffer alone,
  // and stop with ShowDiskError (warnings.h) as for a table that is missing. A table or buffer that is not there has nothing to
  // keep: true.
  bool Keep(HostTable* table);
  // The kept record goes back, once. A host that has given the table another
  // buffer meanwhile keeps its record there: the old buffer is left alone.
  void PutBack();

 private:
  HostTable* table_ = nullptr;
  uint8_t* buffer_ = nullptr;
  int length_ = 0;
  int at_ = 0;        // where in the room the record is kept
  int reserved_ = 0;  // the room's bytes from at_ that this keeper holds until it ends
};


}  // namespace kw
