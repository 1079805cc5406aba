// Between the simulated TALMER.dll and the simulated host program: every call
// of a TALMER entry is handed, with the caller's registers and a pointer to its
// stack arguments, to the dispatcher that the host program attaches.
#pragma once

#include <cstdint>

#include "host_ordinals.h"

struct SimRegisters {  // as pushal leaves them, lowest address first
  uint32_t edi, esi, ebp, esp, ebx, edx, ecx, eax;
};

// Rows: the catalogue's, from 0, then the entries taken at attach outside it
// (host_attach_entries.inc), in the order of their tables.
inline constexpr int kSimRowCount = kw::kHostCatalogueSize + kw::kHostAttachEntryCount;

using SimDispatchFn = uint32_t __cdecl(int row, const SimRegisters* registers, const uint32_t* arguments);

#ifdef SIM_TALMER_BUILD  // exported through the generated .def
#define SIM_TALMER_API extern "C"
#else
#define SIM_TALMER_API extern "C" __declspec(dllimport)
#endif

// Routes every later call to the dispatcher; null detaches.
SIM_TALMER_API void __cdecl SimAttachHost(SimDispatchFn* dispatcher);
// Takes an ordinal out of the export table (GetProcAddress then fails) or puts
// it back. Returns 0 when the ordinal is not one of the library's.
SIM_TALMER_API int __cdecl SimSetExported(unsigned ordinal, int exported);
// The cell of a data item (host_data_items.inc: 20968, 20978), or null.
SIM_TALMER_API uint32_t* __cdecl SimClassDataCell(unsigned ordinal);
