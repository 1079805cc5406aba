// The simulated host library: entries that forward to the host program, the two
// class data items, and the control functions of the simulation.
#define SIM_TALMER_BUILD
#include <windows.h>

#include "sim_bridge.h"

// The data items, each starting with its ordinal's digits read as hex.
extern "C" {
#define HOST_DATA(ordinal, name, type) type name = 0x##ordinal;
#include "host_data_items.inc"
#undef HOST_DATA
}

namespace {

SimDispatchFn* attachedHost = nullptr;

struct SavedExport {
  unsigned ordinal;
  DWORD rva;
};
SavedExport savedExports[128];
int savedCount = 0;

BYTE* ImageBase() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&attachedHost), &self);
  return reinterpret_cast<BYTE*>(self);
}

IMAGE_EXPORT_DIRECTORY* ExportDirectory() {
  BYTE* base = ImageBase();
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  return reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
}

void WriteRva(DWORD* cell, DWORD value) {
  DWORD old;
  VirtualProtect(cell, sizeof *cell, PAGE_READWRITE, &old);
  *cell = value;
  VirtualProtect(cell, sizeof *cell, old, &old);
}

}  // namespace

extern "C" uint32_t __cdecl SimDispatch(int row, const SimRegisters* registers, const uint32_t* arguments) {
  return attachedHost ? attachedHost(row, registers, arguments) : 0;
}

extern "C" void __cdecl SimAttachHost(SimDispatchFn* dispatcher) { attachedHost = dispatcher; }

extern "C" int __cdecl SimSetExported(unsigned ordinal, int exported) {
  IMAGE_EXPORT_DIRECTORY* dir = ExportDirectory();
  if (ordinal < dir->Base || ordinal - dir->Base >= dir->NumberOfFunctions) return 0;
  auto* functions = reinterpret_cast<DWORD*>(ImageBase() + dir->AddressOfFunctions);
  DWORD* cell = &functions[ordinal - dir->Base];
  int saved = -1;
  for (int i = 0; i < savedCount; ++i) {
    if (savedExports[i].ordinal == ordinal) saved = i;
  }
  if (!exported) {
    if (*cell == 0) return saved >= 0;
    if (saved < 0) {
      if (savedCount == static_cast<int>(sizeof savedExports / sizeof savedExports[0])) return 0;
      saved = savedCount++;
    }
    savedExports[saved] = {ordinal, *cell};
    WriteRva(cell, 0);
    return 1;
  }
  if (saved >= 0 && *cell == 0) WriteRva(cell, savedExports[saved].rva);
  return *cell != 0;
}

extern "C" uint32_t* __cdecl SimClassDataCell(unsigned ordinal) {
#define HOST_DATA(item, name, type) \
  if (ordinal == item) return &name;
#include "host_data_items.inc"
#undef HOST_DATA
  return nullptr;
}
