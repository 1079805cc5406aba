// Counts the module's lookups in the process: GetProcAddress calls on one
// library, and GetModuleHandleA calls by name; and keeps them in the order
// made, with what a test notes between them (the host calls it watches).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

class LookupCounter {
 public:
  static LookupCounter& Intercept();  // installs the replacements once per process

  void Clear() { procLookups_.clear(); moduleLookups_.clear(); sequence_.clear(); }
  // Ordinals looked up in the given library (names as -1).
  std::vector<int> ProcLookupsIn(HMODULE library) const;
  int ModuleLookupsOf(const std::string& name) const;
  // Every lookup and note in order: "GetModuleHandleA(TALMER)",
  // "GetProcAddress(TALMER.dll, 30006)" (a name as "GetProcAddress(<library>, \"Name\")").
  const std::vector<std::string>& Sequence() const { return sequence_; }
  void Note(std::string event) { sequence_.push_back(std::move(event)); }

  FARPROC LookUpProc(HMODULE library, LPCSTR entry);
  HMODULE LookUpModule(LPCSTR name);

 private:
  struct ProcLookup {
    HMODULE library;
    int ordinal;
  };
  std::vector<ProcLookup> procLookups_;
  std::vector<std::string> moduleLookups_;
  std::vector<std::string> sequence_;
};

}  // namespace hostsim
