#include "trace_summary.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "host_ordinals.h"
#include "trace_files.h"

namespace kw::tools {

namespace {

constexpr std::size_t kEventsShown = 40;

struct TraceLine {
  int number = 0;  // from 1
  int depth = 0;
  char kind = 0;
  std::string text;
};

// "<ms> <blanks><kind> <text>"; false for a line of another form.
bool ParseLine(const std::string& raw, int number, TraceLine& line) {
  std::size_t at = raw.find_first_not_of(' ');
  if (at == std::string::npos) return false;
  at = raw.find(' ', at);
  if (at == std::string::npos) return false;
  const std::size_t kind = raw.find_first_not_of(' ', at + 1);
  if (kind == std::string::npos) return false;
  line.number = number;
  line.depth = static_cast<int>((kind - at - 1) / 2);
  line.kind = raw[kind];
  line.text = kind + 2 <= raw.size() ? raw.substr(kind + 2) : "";
  return true;
}

std::string FunctionName(const std::string& text) {
  const int ordinal = std::atoi(text.c_str());
  for (const CatalogueRow& row : kHostCatalogue) {
    if (row.ordinal == ordinal) return std::to_string(ordinal) + " " + row.name;
  }
  return text.substr(0, text.find_first_of("( "));
}

// The answers that say a host service failed: a file not opened or not
// closed, nothing read or written, a table or a log the host does not have.
bool FailedAnswer(const std::string& text) {
  const int ordinal = std::atoi(text.c_str());
  const std::size_t equals = text.find("= ");
  if (equals == std::string::npos) return false;
  const std::string answer = text.substr(equals + 2, text.find(' ', equals + 2) - equals - 2);
  const bool zero = answer == "0" || answer == "0x00000000";
  switch (ordinal) {
    case 52534: case 52307: case 52308: case 52256: case 52407: case 50516: return zero;
    case 52305: return !zero;
    default: return false;
  }
}

// A message box of the host titled "Uwaga": the warnings the module shows
// without a line of its own.
bool IsWarningBox(const std::string& text) {
  const int ordinal = std::atoi(text.c_str());
  const bool box = ordinal == 52028 || ordinal == 52029 || ordinal == 35802 || ordinal == 35804;
  return box && text.find("\"Uwaga\"") != std::string::npos;
}

struct Summary {
  std::vector<std::string> events, failures, reentries;
  std::string firstWarning, stopped;
  std::vector<std::string> openCalls;  // host calls not yet answered, innermost last
  std::vector<std::string> entries;    // entries into the module on the stack
};

void Take(Summary& summary, const TraceLine& line) {
  const std::string where = "wiersz " + std::to_string(line.number) + ": ";
  switch (line.kind) {
    case kTraceEntry:
      if (summary.entries.empty()) summary.events.push_back(where + line.text);
      if (line.text.find(kTraceInOwnAppend) != std::string::npos) {
        summary.reentries.push_back(where + line.text);
      } else if (!summary.openCalls.empty()) {
        summary.reentries.push_back(where + line.text + " w trakcie " + summary.openCalls.back() + " wywołanego przez " +
                                    (summary.entries.empty() ? "?" : summary.entries.back()));
      }
      summary.entries.push_back(line.text.substr(0, line.text.find(' ')));
      break;
    case kTraceLeave:
      if (!summary.entries.empty()) summary.entries.pop_back();
      break;
    case kTraceCall:
      summary.openCalls.push_back(FunctionName(line.text));
      if (summary.firstWarning.empty() && IsWarningBox(line.text)) summary.firstWarning = where + FunctionName(line.text) + line.text.substr(line.text.find('('));
      break;
    case kTraceOnward:
      summary.openCalls.push_back("obsługi zdarzenia programu");
      break;
    case kTraceBack:
    case kTraceAnswer:
      if (!summary.openCalls.empty()) summary.openCalls.pop_back();
      if (line.kind == kTraceBack) break;
      if (FailedAnswer(line.text)) summary.failures.push_back(where + FunctionName(line.text) + line.text.substr(line.text.find(" =")));
      break;
    case kTraceDecision:
      if (summary.firstWarning.empty() && line.text.rfind("UWAGA", 0) == 0) summary.firstWarning = where + line.text;
      break;
    case kTraceOwn:
      if (line.text.find("zatrzymany") != std::string::npos) summary.stopped = where + line.text;
      break;
  }
}

void Section(std::ostringstream& out, const std::string& title, const std::vector<std::string>& items,
             std::size_t shown, const std::string& none) {
  out << title << " (" << items.size() << "):\n";
  if (items.empty()) out << "  " << none << "\n";
  for (std::size_t i = 0; i < items.size() && i < shown; ++i) out << "  " << items[i] << "\n";
  if (items.size() > shown) out << "  ... i " << items.size() - shown << " dalszych\n";
}

}  // namespace

std::string TraceSummary(const std::string& trace) {
  Summary summary;
  std::istringstream in(trace);
  std::string raw;
  int number = 0, unreadable = 0;
  while (std::getline(in, raw)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    TraceLine line;
    if (ParseLine(raw, number, line)) {
      Take(summary, line);
    } else if (!raw.empty()) {
      ++unreadable;
    }
  }
  std::ostringstream out;
  out << "Ślad: " << number << " wierszy" << (unreadable ? ", nieczytelnych: " + std::to_string(unreadable) : "")
      << "\n";
  Section(out, "Zdarzenia programu w kolejności", summary.events, kEventsShown, "brak");
  Section(out, "Wywołania programu, które zawiodły", summary.failures, kEventsShown, "brak");
  Section(out, "Program wywołał moduł w trakcie jego wywołań", summary.reentries, kEventsShown, "nigdzie");
  out << "Pierwsze ostrzeżenie modułu: " << (summary.firstWarning.empty() ? "brak" : summary.firstWarning) << "\n";
  if (!summary.stopped.empty()) out << "Ślad przerwany: " << summary.stopped << "\n";
  return out.str();
}

}  // namespace kw::tools
