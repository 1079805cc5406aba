// Table 44's record buffer may hold a document that a handler of the module
// is working on: the document in hand while a document event is handled (the
// host's own handler of a dialog's end may still accept it), or the document
// a conversion has read and not yet stored. The host may end a document
// dialog from inside such a handler's host calls; the conversion that end
// asks for would read other documents into the same buffer, so it waits for
// a dialog's end that comes while no other handler works on the buffer.
#pragma once

namespace kw {

inline int documentRecordUsers = 0;

class DocumentRecordInUse {
 public:
  DocumentRecordInUse() { ++documentRecordUsers; }
  ~DocumentRecordInUse() { --documentRecordUsers; }
  DocumentRecordInUse(const DocumentRecordInUse&) = delete;
  DocumentRecordInUse& operator=(const DocumentRecordInUse&) = delete;

  // No handler but the one asking works on the buffer.
  static bool OnlyOne() { return documentRecordUsers == 1; }
};

}  // namespace kw
