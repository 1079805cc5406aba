// The catalogue of host functions as data: ordinal, name, convention and the
// bytes each function's callee removes, with the slots and first-call entries
// that host_entries.S lays out in the same order.
#pragma once

#include "host_interface.h"

namespace kw {

struct CatalogueRow {
  uint16_t ordinal;
  const char* name;
  HostConvention convention;
  uint8_t calleeBytes;  // what a stand-in for the function must remove
};

inline constexpr CatalogueRow kHostCatalogue[] = {
#define HOST_FN(row, ordinal, name, conv, bytes, result, params) \
  {ordinal, #name, KW_HOSTCONV_##conv, bytes},
#include "host_catalogue.inc"
#undef HOST_FN
};
inline constexpr int kHostCatalogueSize = sizeof(kHostCatalogue) / sizeof(kHostCatalogue[0]);
static_assert(kHostCatalogueSize == 101);

// Row of a catalogue ordinal, or -1.
constexpr int CatalogueRowOf(uint16_t ordinal) {
  for (int row = 0; row < kHostCatalogueSize; ++row) {
    if (kHostCatalogue[row].ordinal == ordinal) return row;
  }
  return -1;
}

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
