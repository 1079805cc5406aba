// The module's handler on the host's JPK register table (400, "Ewid_JPK"): on
// event 231 it deletes the entries of the contractor TMO under a wait box and
// signals the host; every call then goes on to the handler it replaced.
#pragma once

#include <cstdint>

#include "host_records.h"
#include "module_globals.h"  // JpkTable, PrevJpkHandler, JpkSizeCheck

namespace kw {

inline constexpr int kJpkCleanupEvent = 231;

// Nonzero: installs the handler; 0 when it is in place (also when it already
// was), -1 when table 400 is missing or its records are not 1170 bytes long.
// 0: puts the replaced handler back; always 0.
int SetJpkTableHook(int install);

}  // namespace kw

// Called by the host through the table's EventHandler slot. Answers what the
// replaced handler answers for the same arguments, 0 when the slot was empty.
extern "C" int __stdcall OnJpkTableEvent(int eventCode, int a2, int* entryCount, int a4, int a5,
                                         HostTable* jpkTableArg, int** recordNumbersRef, HostSelection* selection,
                                         void* view, int a10, int16_t* handled);
