#include "import_table.h"

#include <cstring>

namespace hostsim {

void* ReplaceImport(HMODULE module, const char* name, const void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!directory.VirtualAddress) return nullptr;
  void* original = nullptr;
  for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       library->Name; ++library) {
    if (!library->OriginalFirstThunk) continue;  // no names to tell the entries by
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
    auto** cells = reinterpret_cast<void**>(base + library->FirstThunk);
    for (int i = 0; names[i].u1.AddressOfData; ++i) {
      if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
      const auto* entry = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(entry->Name), name) != 0) continue;
      if (cells[i] != replacement) original = cells[i];
      DWORD old;
      VirtualProtect(&cells[i], sizeof cells[i], PAGE_READWRITE, &old);
      cells[i] = const_cast<void*>(replacement);
      VirtualProtect(&cells[i], sizeof cells[i], old, &old);
    }
  }
  return original;
}

}  // namespace hostsim
