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
#define HOST_FN(ordinal, name, conv, bytes, result, params) {ordinal, #name, KW_HOSTCONV_##conv, bytes},
#include "host_catalogue.inc"
#undef HOST_FN
};
inline constexpr int kHostCatalogueSize = sizeof(kHostCatalogue) / sizeof(kHostCatalogue[0]);

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
#define HOST_DATA(ordinal, name, type) {ordinal, #name},
#include "host_data_items.inc"
#undef HOST_DATA
};

// Looked up with GetProcAddress at attach, outside the catalogue; a missing one
// leaves its cells null and the load goes on. Each by itself
// (kHostModuleCallbackEntry, ...) and all in their order.
#define HOST_ATTACH_ENTRY(ordinal, name, conv, bytes, result, params) \
  inline constexpr HostOrdinal k##name##Entry = {ordinal, #name};
#include "host_attach_entries.inc"
#undef HOST_ATTACH_ENTRY
inline constexpr HostOrdinal kHostAttachEntries[] = {
#define HOST_ATTACH_ENTRY(ordinal, name, conv, bytes, result, params) k##name##Entry,
#include "host_attach_entries.inc"
#undef HOST_ATTACH_ENTRY
};
inline constexpr int kHostAttachEntryCount = sizeof(kHostAttachEntries) / sizeof(kHostAttachEntries[0]);

}  // namespace kw
