// The handler of host document event 815, which frames the host's document
// dialog: it keeps a working object alive for the dialog and converts the
// marked sales documents when the dialog ends.
#pragma once

#include "host_interface.h"

namespace kw {

// The host's cell holding the handler of event 815 that was installed before
// the module's; null until registration, and null when the host gave none.
extern DocumentEventHandler** EventHook815;

}  // namespace kw

// code and phase: 16-bit values in 32-bit arguments (phase -2 opens the
// dialog, 2 ends it). Answers what the previous handler answers, 0 without one.
extern "C" int __stdcall ConversionHook(int code, int phase);
