// Everything the module takes from the host library TALMER.dll by ordinal, as
// plain data without Windows headers, so that the tools for the people who
// install the module read the same table: the catalogue of host functions in
// binding order, the two data items the system loader imports, and the two
// entries looked up at attach.
#pragma once

#include <cstdint>

namespace kw {

inline constexpr const char* kHostLibraryFile = "TALMER.dll";

enum class HostConvention : uint8_t { Std, Cdecl, This };
#define KW_HOSTCONV_STD ::kw::HostConvention::Std
#define KW_HOSTCONV_CDECL ::kw::HostConvention::Cdecl
#define KW_HOSTCONV_THIS ::kw::HostConvention::This

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

struct HostOrdinal {
  uint16_t ordinal;
  const char* name;
};

// Imported through the module's import table: without them the system loader
// refuses the module before any of its code runs.
inline constexpr HostOrdinal kHostDataItems[] = {
    {20968, "HostDialogBaseClassData"},
    {20978, "HostThunkAllocatorClassData"},
};

// Looked up with GetProcAddress at attach, outside the catalogue; a missing one
// leaves its cells null and the load goes on.
inline constexpr HostOrdinal kHostModuleCallbackEntry = {30006, "HostModuleCallback"};
inline constexpr HostOrdinal kHostSecondaryCallbackEntry = {30007, "HostSecondaryCallback"};

}  // namespace kw
