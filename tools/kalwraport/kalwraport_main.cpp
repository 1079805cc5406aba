// kalwraport: the accountant's monthly settlement of consigned sales, from the
// journal Kalwestrowka-dziennik.csv that the module keeps.
//
//   kalwraport [PLIK] [--miesiac RRRR-MM | --od DATA --do DATA] [--csv | --json]
//
// Exit status: 0 report made, everything agrees; 1 report made, something to
// look at (a cross-check, an entry left in the register, a document converted
// again or without an amount, unreadable lines); 2 wrong arguments; 3 the
// journal cannot be read.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "console_text.h"
#include "file_access.h"
#include "journal.h"
#include "settlement_report.h"
#include "settlement.h"

namespace {

using namespace kw::tools;

constexpr int kUsageProblem = 2;
constexpr int kJournalUnreadable = 3;
constexpr std::size_t kReadLimit = std::size_t{512} << 20;
const char* const kJournalFile = "Kalwestrowka-dziennik.csv";

const char* const kUsage =
    "Użycie: kalwraport [PLIK] [--miesiac RRRR-MM | --od DATA --do DATA] [--csv | --json]\n"
    "  PLIK              dziennik modułu (domyślnie Kalwestrowka-dziennik.csv w bieżącym folderze)\n"
    "  --miesiac RRRR-MM rozliczenie miesiąca, np. --miesiac 2026-11\n"
    "  --od DATA         od dnia (RRRR-MM-DD albo DD.MM.RRRR), --do DATA: do dnia włącznie;\n"
    "                    bez okresu: cały dziennik\n"
    "  --csv             tabela dla arkusza (średniki, przecinek dziesiętny, Windows-1250)\n"
    "  --json            dla programów\n"
    "Wynik: 0 raport gotowy, wszystko się zgadza; 1 raport gotowy, jest coś do sprawdzenia;\n"
    "2 złe argumenty; 3 nie można odczytać dziennika.\n";

enum class Form { Text, Csv, Json };

struct Arguments {
  std::string path = kJournalFile;
  Period period;
  Form form = Form::Text;
  bool help = false;
};

int Fail(int status, const std::string& text) {
  WriteText(stderr, "kalwraport: " + text + "\n");
  return status;
}

// The arguments, or the reason they are wrong.
std::string ParseArguments(const std::vector<std::string>& args, Arguments& out) {
  bool pathGiven = false;
  bool month = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    const std::size_t equals = name.rfind("--", 0) == 0 ? name.find('=') : std::string::npos;
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    const bool takesValue = name == "--miesiac" || name == "--od" || name == "--do";
    if (takesValue && equals == std::string::npos) {
      if (i + 1 == args.size()) return "brak wartości po " + name;
      value = args[++i];
    } else if (!takesValue && equals != std::string::npos) {
      return "opcja " + DisplayPath(name) + " nie przyjmuje wartości";
    }
    if (name == "--help" || name == "-h" || name == "/?") {
      out.help = true;
    } else if (name == "--csv" || name == "--json") {
      if (out.form != Form::Text) return "podaj tylko jedno z --csv i --json";
      out.form = name == "--csv" ? Form::Csv : Form::Json;
    } else if (name == "--miesiac") {
      if (month || out.period.from != kNoDay || out.period.to != kNoDay) return "podaj --miesiac albo --od/--do, raz";
      if (!ParseMonth(value, out.period.from, out.period.to)) return "„" + DisplayPath(value) + "” nie jest miesiącem RRRR-MM";
      month = true;
    } else if (name == "--od" || name == "--do") {
      JournalDay& day = name == "--od" ? out.period.from : out.period.to;
      if (month || day != kNoDay) return "podaj --miesiac albo --od/--do, raz";
      day = ParseJournalDay(value);
      if (day == kNoDay) return "„" + DisplayPath(value) + "” nie jest datą (RRRR-MM-DD albo DD.MM.RRRR)";
    } else if (name.size() > 1 && name[0] == '-') {
      return "nieznana opcja " + DisplayPath(name);
    } else {
      if (pathGiven) return "podaj jeden plik dziennika";
      out.path = name;
      pathGiven = true;
    }
  }
  if (out.period.from != kNoDay && out.period.to != kNoDay && out.period.from > out.period.to) {
    return "data --od jest późniejsza niż --do";
  }
  return "";
}

void WriteBytes(const std::string& bytes) {
#ifdef _WIN32
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);  // the CSV's CR LF as they are
#endif
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  const std::string problem = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), args);
  if (!problem.empty()) return Fail(kUsageProblem, problem + "\n" + kUsage);
  if (args.help) {
    WriteText(stdout, kUsage);
    return 0;
  }

  const std::string shown = DisplayPath(args.path);
  FileBytes file = ReadWholeFile(args.path, kReadLimit);
  if (!file.ok) return Fail(kJournalUnreadable, "nie można odczytać dziennika " + shown + ": " + file.reason);

  const Journal journal = ReadJournal(std::move(file.bytes));
  const Settlement settlement = Settle(journal, args.period);
  WriteText(stderr, UnreadableLinesText(journal));
  const ReportInput input{shown, args.period, journal, settlement};
  switch (args.form) {
    case Form::Text: WriteText(stdout, SettlementText(input)); break;
    case Form::Csv: WriteBytes(SettlementCsv(input)); break;
    case Form::Json: WriteText(stdout, SettlementJson(input)); break;
  }
  return static_cast<int>(settlement.status);
}
