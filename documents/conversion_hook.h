// The handler of host document event 815, which frames the host's document
// dialog: it keeps a working object alive for the dialog and converts the
// marked sales documents when the dialog ends.
#pragma once

#include "host_interface.h"
#include "module_globals.h"  // EventHook815

namespace kw {

// The module goes while a document dialog is open: the dialog's object ends
// as at the dialog's end (the host's state cells back, its base part torn
// down), so that the host's dialog keeps nothing of the module. Its marked
// documents are not converted here, as the dialog still has a document in
// table 44's record buffer: they stay marked for the module's next run. A
// dialog's end still being handed on converts nothing afterwards either.
void EndDocumentDialogObjects();

}  // namespace kw

// code and phase: 16-bit values in 32-bit arguments (phase -2 opens the
// dialog, 2 ends it). Answers what the previous handler answers, 0 without one.
extern "C" int __stdcall ConversionHook(int code, int phase);
