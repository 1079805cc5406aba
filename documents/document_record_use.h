// Table 44's record buffer holds a document that a handler of the module is
// working on: the acceptance's document in hand, or the document a conversion
// has read and not yet stored. The host may end a document dialog from inside
// such a handler's host calls; the conversion that end asks for would read
// other documents into the same buffer, so it waits for a dialog's end that
// comes while no handler is working on the buffer.
#pragma once

namespace kw {

inline int documentRecordUsers = 0;

class DocumentRecordInUse {
 public:
  DocumentRecordInUse() { ++documentRecordUsers; }
  ~DocumentRecordInUse() { --documentRecordUsers; }
  DocumentRecordInUse(const DocumentRecordInUse&) = delete;
  DocumentRecordInUse& operator=(const DocumentRecordInUse&) = delete;

  static bool Free() { return documentRecordUsers == 0; }
};

}  // namespace kw
