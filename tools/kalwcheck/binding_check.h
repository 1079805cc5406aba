// What the module meets when it loads against a host library with a given
// export table, from the module's own tables (host_ordinals.h) and its
// fallback rule (fallback_rule.h):
// - a missing data item makes the system loader refuse the module;
// - the functions are bound in catalogue order at start-up; the first missing
//   one shows the binding dialog "POWAŻNY BŁĄD WTYCZKI" (Retry / Ignore /
//   Abort); after Ignore later missing ones get their fallback without a
//   dialog; a missing function without a fallback, or Abort, ends the load and
//   the functions after it are not bound;
// - the entries 30006 and 30007 are only looked up: the load goes on without them.
#pragma once

#include <string>
#include <vector>

#include "host_ordinals.h"
#include "pe_exports.h"

namespace kw::tools {

enum class CheckStatus { AllPresent = 0, LoadsAfterIgnore = 1, CannotLoad = 2, NotHostLibrary = 3 };

enum class AtLoad {
  Bound,        // present
  Dialog,       // missing: the binding dialog names it
  Silent,       // missing: after an earlier Ignore, no dialog
  NotReached,   // missing: the load has already failed on an earlier function
};

struct OrdinalCheck {
  uint16_t ordinal;
  const char* name;
  bool present;
  std::string forwardedTo;
};

struct FunctionCheck {
  OrdinalCheck entry;
  const CatalogueRow* row;
  AtLoad atLoad;
  int fallback;  // kNoFallback, or the fallback (returns 0, removes 4*fallback bytes) after Ignore
};

struct BindingCheck {
  CheckStatus status = CheckStatus::NotHostLibrary;
  std::string problem;  // why the file is not a host library (status NotHostLibrary)
  std::string libraryName;
  int exportCount = 0;
  std::vector<OrdinalCheck> dataItems;
  std::vector<OrdinalCheck> entries;
  std::vector<FunctionCheck> functions;
  std::string verdict;  // one line, in Polish
};

BindingCheck CheckBinding(const PeExports& exports);

// "zwraca 0, zdejmuje 8 bajtów" and the like; for a function without one,
// that the load fails.
std::string FallbackText(const FunctionCheck& function);

// What happens without the entry 30006 or 30007.
std::string WithoutEntryText(uint16_t ordinal);

}  // namespace kw::tools
