// Binding of the host functions by ordinal, the bind-failure dialog and the
// fallbacks that stand in for a missing host function.
#pragma once

#include "host_catalogue.h"
#include "module_globals.h"

namespace kw {

// entry: an ordinal (below 0x10000) or a zero-terminated name.
void ResolveHostFunction(const char* entry, HostSlot* slot);
// 1: go on with a fallback; 0: abort.
int ShowBindFailure(const char* entry);
// Stores the fallback that the entry's digits call for, or null.
void PickFallbackStub(const char* entry, HostSlot* slot);

// Binds one catalogue row. A fallback stands in with the byte count of the
// catalogue, whatever the ordinal's digits say, so that a caller's stack stays
// intact.
void BindCatalogueRow(int row);
// The start-up step of a row: binds it unless a first call already did;
// 0 when the slot is filled, -1 when it is empty.
int BindAtStartup(int row);

}  // namespace kw

// Called by the first-call entries with the row to bind.
extern "C" void KwBindOnFirstCall(int row);
