// The catalogue of host functions (host_ordinals.h) with the slots and
// first-call entries that host_entries.S lays out in the same order.
#pragma once

#include "host_interface.h"
#include "host_ordinals.h"

namespace kw {

// A slot holds a code address: the first-call entry, the host's function, a
// fallback, or null.
using HostSlot = void*;

}  // namespace kw

extern "C" {
// One slot per catalogue row, in catalogue order (writable data).
extern kw::HostSlot KwHostSlots[kw::kHostCatalogueSize];
// The first-call entry of each row, the value each slot starts with.
extern void* const KwFirstCallEntries[kw::kHostCatalogueSize];
}
