// kalwraport: the accountant's monthly settlement of consigned sales, from the
// journal Kalwestrowka-dziennik.csv that the module keeps.
//
//   kalwraport [PLIK] [--miesiac RRRR-MM | --od DATA --do DATA] [--csv | --json]
//
// Exit status: 0 report made, everything agrees; 1 report made, something to
// look at (a cross-check, an entry left in the register, a document marked
// and not converted, converted again or without an amount, unreadable lines,
// or no record at all in the period); 2 wrong arguments; 3 the journal cannot
// be read (or not in the memory there is); 4 the report could not be written
// whole (a full disk, a closed pipe).
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "console_text.h"
#include "file_access.h"
#include "settlement.h"
#include "settlement_report.h"

namespace {

using namespace kw::tools;

constexpr int kUsageProblem = 2;
constexpr int kJournalUnreadable = 3;
constexpr int kReportUnwritten = 4;

const char* const kUsage =
    "Użycie: kalwraport [PLIK] [--miesiac RRRR-MM | --od DATA --do DATA] [--csv | --json]\n"
    "  PLIK              dziennik wtyczki (domyślnie Kalwestrowka-dziennik.csv w bieżącym folderze)\n"
    "  --miesiac RRRR-MM rozliczenie miesiąca, np. --miesiac 2026-11\n"
    "  --od DATA         od dnia (RRRR-MM-DD albo DD.MM.RRRR), --do DATA: do dnia włącznie;\n"
    "                    bez okresu: cały dziennik\n"
    "  --csv             tabela dla arkusza (średniki, przecinek dziesiętny, Windows-1250)\n"
    "  --json            dla programów\n"
    "Wynik: 0 raport gotowy, wszystko się zgadza; 1 raport gotowy, jest coś do sprawdzenia\n"
    "(także gdy w okresie nie ma żadnego wpisu); 2 złe argumenty; 3 nie można odczytać dziennika;\n"
    "4 nie udało się zapisać raportu (np. brak miejsca na dysku): raport jest niepełny.\n";

enum class Form { Text, Csv, Json };

struct Arguments {
  std::string path = kw::kJournalFile;
  Period period;
  Form form = Form::Text;
  bool help = false;
  bool pathGiven = false;
  bool month = false;
};

int Fail(int status, const std::string& text) {
  WriteText(stderr, "kalwraport: " + text + "\n");
  return status;
}

// One option with its value (or a path); the reason it is wrong, or "".
std::string TakeOption(const std::string& name, const std::string& value, Arguments& out) {
  const std::string twice = "podaj --miesiac albo --od/--do, raz";
  if (name == "--help" || name == "-h" || name == "/?") {
    out.help = true;
  } else if (name == "--csv" || name == "--json") {
    if (out.form != Form::Text) return "podaj tylko jedno z --csv i --json";
    out.form = name == "--csv" ? Form::Csv : Form::Json;
  } else if (name == "--miesiac") {
    if (out.month || out.period.from != kNoDay || out.period.to != kNoDay) return twice;
    if (!ParseMonth(value, out.period.from, out.period.to)) return "„" + DisplayPath(value) + "” nie jest miesiącem RRRR-MM";
    out.month = true;
  } else if (name == "--od" || name == "--do") {
    JournalDay& day = name == "--od" ? out.period.from : out.period.to;
    if (out.month || day != kNoDay) return twice;
    day = ParseJournalDay(value);
    if (day == kNoDay) return "„" + DisplayPath(value) + "” nie jest datą (RRRR-MM-DD albo DD.MM.RRRR)";
  } else if (name.size() > 1 && name[0] == '-') {
    return "nieznana opcja " + DisplayPath(name);
  } else {
    if (out.pathGiven) return "podaj jeden plik dziennika";
    out.path = name;
    out.pathGiven = true;
  }
  return "";
}

// The arguments, or the reason they are wrong.
std::string ParseArguments(const std::vector<std::string>& args, Arguments& out) {
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
    const std::string problem = TakeOption(name, value, out);
    if (!problem.empty()) return problem;
  }
  if (out.period.from != kNoDay && out.period.to != kNoDay && out.period.from > out.period.to) {
    return "data --od jest późniejsza niż --do";
  }
  return "";
}

void OutputAsBytes() {
#ifdef _WIN32
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);  // the CSV's CR LF as they are
#endif
}

// The report's output: the first write that fails is remembered, with its
// reason, and the end flushes and checks what is still buffered.
class ReportOutput {
 public:
  void Bytes(std::string_view bytes) { Check(std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size()); }
  void Utf8(std::string_view utf8) { Check(WriteText(stdout, utf8)); }
  bool Finish() {
    Check(std::fflush(stdout) == 0 && !std::ferror(stdout));
    return error_ == 0;
  }
  std::string Reason() const { return error_ > 0 ? ReasonOfError(error_) : "błąd zapisu"; }

 private:
  void Check(bool written) {
    if (!written && error_ == 0) error_ = errno != 0 ? errno : -1;
  }
  int error_ = 0;  // 0: all written so far; -1: failed with no reason given
};

int Report(const Arguments& args) {
  const std::string shown = DisplayPath(args.path);
  FileStream file(args.path);
  if (!file.IsOpen()) return Fail(kJournalUnreadable, "nie można odczytać dziennika " + shown + ": " + file.Reason());
  Settlement settlement;
  if (!SettleJournal(file, args.period, settlement)) {
    return Fail(kJournalUnreadable, "nie można odczytać dziennika " + shown + " do końca (przeczytano " +
                                        SizeText(file.BytesRead()) + "): " + file.Reason());
  }
  const ReportInput input{shown, settlement};
  ReportOutput output;
  errno = 0;
  const auto utf8 = [&](std::string_view piece) { output.Utf8(piece); };
  switch (args.form) {
    case Form::Text: WriteSettlementText(input, utf8); break;
    case Form::Csv: OutputAsBytes(), WriteSettlementCsv(input, [&](std::string_view piece) { output.Bytes(piece); }); break;
    case Form::Json: WriteSettlementJson(input, utf8); break;
  }
  if (!output.Finish()) {
    return Fail(kReportUnwritten, "Nie udało się zapisać raportu: " + output.Reason() + ". Raport jest niepełny.");
  }
  return static_cast<int>(settlement.status);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write (reported) instead of ending the program
#endif
  Arguments args;
  const std::string problem = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), args);
  if (!problem.empty()) return Fail(kUsageProblem, problem + "\n" + kUsage);
  if (args.help) {
    WriteText(stdout, kUsage);
    return 0;
  }
  try {
    return Report(args);
  } catch (const std::bad_alloc&) {
    return Fail(kJournalUnreadable, "za mało pamięci na rozliczenie tego dziennika: zamknij inne programy i spróbuj "
                                    "jeszcze raz, albo rozlicz dziennik na komputerze z większą pamięcią");
  }
}
