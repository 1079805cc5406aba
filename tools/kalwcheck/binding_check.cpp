#include "binding_check.h"

#include "fallback_rule.h"
#include "file_access.h"

namespace kw::tools {

namespace {

OrdinalCheck Look(const PeExports& exports, const HostOrdinal& wanted) {
  const ExportedOrdinal found = exports.Find(wanted.ordinal);
  return {wanted.ordinal, wanted.name, found.present, found.forwardedTo};
}

std::string OrdinalList(const std::vector<uint16_t>& ordinals) {
  std::string list;
  for (const uint16_t ordinal : ordinals) list += (list.empty() ? "" : ", ") + std::to_string(ordinal);
  return list;
}

std::string Verdict(const BindingCheck& check) {
  std::vector<uint16_t> missingData, missingEntries, missingFunctions;
  uint16_t failing = 0;
  for (const OrdinalCheck& item : check.dataItems) {
    if (!item.present) missingData.push_back(item.ordinal);
  }
  for (const OrdinalCheck& entry : check.entries) {
    if (!entry.present) missingEntries.push_back(entry.ordinal);
  }
  for (const FunctionCheck& function : check.functions) {
    if (function.entry.present) continue;
    missingFunctions.push_back(function.entry.ordinal);
    if (function.atLoad != AtLoad::NotReached && function.fallback == kNoFallback) failing = function.entry.ordinal;
  }
  switch (check.status) {
    case CheckStatus::NotHostLibrary:
      return "WYNIK 3: to nie jest 32-bitowa biblioteka programu TALMER.dll: " + check.problem + ".";
    case CheckStatus::CannotLoad:
      if (!missingData.empty()) {
        return "WYNIK 2: moduł się nie załaduje: brak danych " + OrdinalList(missingData) +
               ", więc system odmówi załadowania modułu.";
      }
      return "WYNIK 2: moduł się nie załaduje: brak funkcji " + std::to_string(failing) +
             ", której po „Ignoruj” nie zastąpi żadna zaślepka (brakuje funkcji: " + OrdinalList(missingFunctions) +
             ").";
    case CheckStatus::LoadsAfterIgnore:
      return "WYNIK 1: moduł się załaduje dopiero po odpowiedzi „Ignoruj” w oknie „POWAŻNY BŁĄD WTYCZKI”; brakujące "
             "funkcje (" + OrdinalList(missingFunctions) + ") zastąpią zaślepki zwracające 0.";
    case CheckStatus::AllPresent:
      break;
  }
  if (missingEntries.empty()) return "WYNIK 0: są wszystkie wpisy, których moduł potrzebuje; moduł się załaduje.";
  return "WYNIK 0: moduł się załaduje bez pytań; brak tylko wpisów pobieranych przy dołączeniu (" +
         OrdinalList(missingEntries) + ").";
}

}  // namespace

namespace {

// What the binding meets in the catalogue's order: each missing function asks
// (the first with the dialog, later ones silently after Ignore) until one
// without a fallback fails the load, and those after it are not reached.
struct FunctionsSeen {
  bool anyPresent = false;
  bool anyMissing = false;
  bool failed = false;
};

FunctionsSeen CheckFunctions(const PeExports& exports, std::vector<FunctionCheck>& functions) {
  FunctionsSeen seen;
  bool ignored = false;
  for (const CatalogueRow& row : kHostCatalogue) {
    FunctionCheck function{Look(exports, {row.ordinal, row.name}), &row, AtLoad::Bound, kNoFallback};
    seen.anyPresent |= function.entry.present;
    if (!function.entry.present) {
      seen.anyMissing = true;
      function.fallback = FallbackForCatalogueRow(row.ordinal, row.calleeBytes);
      function.atLoad = seen.failed ? AtLoad::NotReached : ignored ? AtLoad::Silent : AtLoad::Dialog;
      if (!seen.failed) {
        ignored = true;
        seen.failed = function.fallback == kNoFallback;
      }
    }
    functions.push_back(function);
  }
  return seen;
}

// The data items and the attach entries; true when any of them is there.
bool CheckDataAndEntries(const PeExports& exports, BindingCheck& check) {
  bool anyPresent = false;
  for (const HostOrdinal& item : kHostDataItems) {
    check.dataItems.push_back(Look(exports, item));
    anyPresent |= check.dataItems.back().present;
  }
  for (const HostOrdinal& entry : kHostAttachEntries) {
    check.entries.push_back(Look(exports, entry));
    anyPresent |= check.entries.back().present;
  }
  return anyPresent;
}

}  // namespace

BindingCheck CheckBinding(const PeExports& exports) {
  BindingCheck check;
  if (!exports.valid) {
    check.problem = exports.problem;
    check.verdict = Verdict(check);
    return check;
  }
  check.libraryName = exports.libraryName;
  check.exportCount = exports.PresentCount();
  const bool anyDataOrEntry = CheckDataAndEntries(exports, check);
  const FunctionsSeen functions = CheckFunctions(exports, check.functions);
  bool dataMissing = false;
  for (const OrdinalCheck& item : check.dataItems) dataMissing |= !item.present;

  if (!anyDataOrEntry && !functions.anyPresent) {
    check.problem = "biblioteka nie eksportuje żadnego wpisu programu (" + std::to_string(check.exportCount) +
                    " innych wpisów)";
    check.status = CheckStatus::NotHostLibrary;
  } else if (dataMissing || functions.failed) {
    check.status = CheckStatus::CannotLoad;
  } else if (functions.anyMissing) {
    check.status = CheckStatus::LoadsAfterIgnore;
  } else {
    check.status = CheckStatus::AllPresent;
  }
  check.verdict = Verdict(check);
  return check;
}

std::string FallbackText(const FunctionCheck& function) {
  if (function.fallback == kNoFallback) return "bez zaślepki: ładowanie modułu się nie powiedzie";
  if (function.row->convention == HostConvention::Cdecl) return "zaślepka: zwraca 0, argumenty zdejmuje wywołujący";
  if (function.fallback == 0) return "zaślepka: zwraca 0, nie zdejmuje argumentów ze stosu";
  return "zaślepka: zwraca 0, zdejmuje " + ByteCount(4 * function.fallback);
}

std::string WithoutEntryText(uint16_t ordinal) {
  if (ordinal == kHostModuleCallbackEntry.ordinal) {
    return "bez niego nieaktywny moduł nie zapyta programu o brakujące cechy, dopóki program nie poda mu "
           "swojej funkcji przy instalacji";
  }
  return "bez niego program nie znajdzie w module słowa brakujących cech";
}

}  // namespace kw::tools
