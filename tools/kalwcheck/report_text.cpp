#include "fallback_rule.h"
#include "report.h"

namespace kw::tools {

namespace {

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string Line(const OrdinalCheck& entry) {
  std::string line = "  " + std::to_string(entry.ordinal) + "  " + Padded(entry.name, 28);
  if (!entry.present) return line + "BRAK";
  line += "jest";
  if (!entry.forwardedTo.empty()) line += " (przekierowany do " + entry.forwardedTo + ")";
  return line;
}

std::string AtLoadText(const FunctionCheck& function) {
  switch (function.atLoad) {
    case AtLoad::Bound: return "";
    case AtLoad::Dialog:
      return "przy ładowaniu okno „POWAŻNY BŁĄD WTYCZKI” z brakiem wpisu " + std::to_string(function.entry.ordinal) +
             " (Ponów próbę / Ignoruj / Przerwij; Przerwij kończy ładowanie); po „Ignoruj”: " + FallbackText(function);
    case AtLoad::Silent: return "bez okna (po wcześniejszym „Ignoruj”): " + FallbackText(function);
    case AtLoad::NotReached: return "nie zostanie sprawdzony: ładowanie skończy się wcześniej";
  }
  return "";
}

}  // namespace

std::string TextReport(const std::string& path, const BindingCheck& check) {
  std::string text = "Plik: " + path + "\n";
  if (check.status == CheckStatus::NotHostLibrary) return text + check.verdict + "\n";

  text += "Biblioteka 32-bitowa (PE32, i386, DLL), nazwa w tabeli eksportów: " +
          (check.libraryName.empty() ? std::string("(brak)") : check.libraryName) + ", wpisów: " +
          std::to_string(check.exportCount) + "\n";
  text += "\nDane programu (importuje je system przy ładowaniu modułu; bez nich moduł się nie załaduje):\n";
  for (const OrdinalCheck& item : check.dataItems) text += Line(item) + "\n";
  text += "\nWpisy pobierane przy dołączeniu modułu (bez nich moduł się ładuje):\n";
  for (const OrdinalCheck& entry : check.entries) {
    text += Line(entry);
    if (!entry.present) text += " - " + WithoutEntryText(entry.ordinal);
    text += "\n";
  }
  text += "\nFunkcje programu w kolejności wiązania (" + std::to_string(check.functions.size()) + "):\n";
  for (const FunctionCheck& function : check.functions) {
    text += Line(function.entry);
    if (!function.entry.present) text += " - " + AtLoadText(function);
    text += "\n";
  }
  return text + "\n" + check.verdict + "\n";
}

}  // namespace kw::tools
