// The handler of host event 1664, raised when the host accepts a document
// inside the dialog that event 815 frames: a kind-24 document with an item
// line from a warehouse flagged for foreign sale gets the contractor TMO and
// the marks that the conversion at the dialog's end looks for.
#pragma once

#include "host_interface.h"
#include "module_globals.h"  // EventHook1664

// code and phase: 16-bit values in 32-bit arguments. Answers what the previous
// handler answers, 0 without one.
extern "C" int __stdcall ReassignHook(int code, int phase);
