// Counts the module's lookups in the process: GetProcAddress calls on one
// library, and GetModuleHandleA calls by name.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

class LookupCounter {
 public:
  static LookupCounter& Intercept();  // installs the replacements once per process

  void Clear() { procLookups_.clear(); moduleLookups_.clear(); }
  // Ordinals looked up in the given library (names as -1).
  std::vector<int> ProcLookupsIn(HMODULE library) const;
  int ModuleLookupsOf(const std::string& name) const;

  FARPROC LookUpProc(HMODULE library, LPCSTR entry);
  HMODULE LookUpModule(LPCSTR name);

 private:
  struct ProcLookup {
    HMODULE library;
    int ordinal;
  };
  std::vector<ProcLookup> procLookups_;
  std::vector<std::string> moduleLookups_;
};

}  // namespace hostsim
