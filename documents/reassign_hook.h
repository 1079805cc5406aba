// The handler of host event 1664, raised when the host accepts a document
// inside the dialog that event 815 frames: a kind-24 document with an item
// line from a warehouse flagged for foreign sale gets the contractor TMO and
// the marks that the conversion at the dialog's end looks for.
#pragma once

#include "host_interface.h"
#include "komis.h"

namespace kw {

// The item lines of the document in hand that come from a warehouse flagged in
// the object's komis.cfg; 0 for a document not of kind 24.
int CountFlaggedItems(CSprKomis& komis);
// Gives a kind-24 document with a flagged item line the contractor TMO and
// marks it for the conversion; 0 done, 1 not.
int ReassignContractor(CSprKomis& komis);

// The host's cell holding the handler of event 1664 that was installed before
// the module's; null until registration, and null when the host gave none.
extern DocumentEventHandler** EventHook1664;

}  // namespace kw

// code and phase: 16-bit values in 32-bit arguments. Answers what the previous
// handler answers, 0 without one.
extern "C" int __stdcall ReassignHook(int code, int phase);
