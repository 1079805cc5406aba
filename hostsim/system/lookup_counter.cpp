#include "lookup_counter.h"

#include <winternl.h>

#include <algorithm>

#include "code_patch.h"

namespace hostsim {
namespace {

using LdrGetProcedureAddressFn = NTSTATUS NTAPI(HMODULE, const ANSI_STRING*, ULONG, void**);
LdrGetProcedureAddressFn* ldrGetProcedureAddress = nullptr;
LookupCounter* installed = nullptr;  // set before the replacements go in

FARPROC WINAPI GetProcAddressReplacement(HMODULE library, LPCSTR entry) {
  return installed->LookUpProc(library, entry);
}

HMODULE WINAPI GetModuleHandleReplacement(LPCSTR name) { return installed->LookUpModule(name); }

std::string FileNameOf(HMODULE library) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(library, path, sizeof path);
  const std::string full(path);
  return full.substr(full.find_last_of("\\/") + 1);
}

}  // namespace

LookupCounter& LookupCounter::Intercept() {
  static LookupCounter* counter = [] {
    ldrGetProcedureAddress = reinterpret_cast<LdrGetProcedureAddressFn*>(
        reinterpret_cast<void (*)()>(SystemFunction("ntdll.dll", "LdrGetProcedureAddress")));
    void* getProcAddress = SystemFunction("kernel32.dll", "GetProcAddress");
    void* getModuleHandle = SystemFunction("kernel32.dll", "GetModuleHandleA");
    installed = new LookupCounter;
    PatchWithJump(getProcAddress, reinterpret_cast<const void*>(&GetProcAddressReplacement));
    PatchWithJump(getModuleHandle, reinterpret_cast<const void*>(&GetModuleHandleReplacement));
    return installed;
  }();
  return *counter;
}

FARPROC LookupCounter::LookUpProc(HMODULE library, LPCSTR entry) {
  const bool byOrdinal = IS_INTRESOURCE(entry);
  procLookups_.push_back({library, byOrdinal ? static_cast<int>(reinterpret_cast<uintptr_t>(entry)) : -1});
  sequence_.push_back("GetProcAddress(" + FileNameOf(library) + ", " +
                      (byOrdinal ? std::to_string(procLookups_.back().ordinal) : "\"" + std::string(entry) + "\"") + ")");
  void* address = nullptr;
  ANSI_STRING name{};
  if (!byOrdinal) {
    name.Buffer = const_cast<char*>(entry);
    name.Length = static_cast<USHORT>(lstrlenA(entry));
    name.MaximumLength = name.Length;
  }
  const NTSTATUS status = ldrGetProcedureAddress(library ? library : GetModuleHandleW(nullptr),
                                                 byOrdinal ? nullptr : &name,
                                                 byOrdinal ? static_cast<ULONG>(reinterpret_cast<uintptr_t>(entry)) : 0,
                                                 &address);
  if (status != 0) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(address);
}

HMODULE LookupCounter::LookUpModule(LPCSTR name) {
  moduleLookups_.push_back(name ? name : "");
  sequence_.push_back("GetModuleHandleA(" + moduleLookups_.back() + ")");
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, name, &module)) return nullptr;
  return module;
}

std::vector<int> LookupCounter::ProcLookupsIn(HMODULE library) const {
  std::vector<int> ordinals;
  for (const ProcLookup& lookup : procLookups_) {
    if (lookup.library == library) ordinals.push_back(lookup.ordinal);
  }
  return ordinals;
}

int LookupCounter::ModuleLookupsOf(const std::string& name) const {
  return static_cast<int>(std::count(moduleLookups_.begin(), moduleLookups_.end(), name));
}

}  // namespace hostsim
