// Table 44's record buffer may hold a document that a handler of the module
// is working on: the document in hand while an acceptance counts its lines
// and marks it, or a document a conversion has read and not yet stored. The
// host may end a document dialog from inside any of its functions; the
// conversion that end asks for reads other documents into the same buffer,
// so an end that comes from inside such work owes its conversion, which runs
// as soon as the work is done: never under it, and never left waiting for an
// end that may not come.
#pragma once

#include "komis.h"
#include "module_globals.h"  // DocumentRecordUsers, ConversionOwed

namespace kw {

// Counts its holder in DocumentRecordUsers while the holder works on the document.
class DocumentRecordInUse {
 public:
  DocumentRecordInUse() { ++DocumentRecordUsers; }
  ~DocumentRecordInUse() { --DocumentRecordUsers; }
  DocumentRecordInUse(const DocumentRecordInUse&) = delete;
  DocumentRecordInUse& operator=(const DocumentRecordInUse&) = delete;
};

// Runs the conversion owed, on `komis` (whose memory the caller holds), once
// no work on the buffer is going on; again while ends come from inside it.
// After uninstallation nothing is converted.
void ConvertWhenFree(CSprKomis* komis);

}  // namespace kw
