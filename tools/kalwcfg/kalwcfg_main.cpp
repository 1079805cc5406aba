// kalwcfg: shows and changes komis.cfg, the module's file of consignment
// warehouses, for the people who install the module.
//
//   kalwcfg show [FILE]        the marked warehouses (FILE: komis.cfg here)
//   kalwcfg set FILE N...      marks warehouses N (creates the file when missing)
//   kalwcfg clear FILE N...    unmarks them
//   kalwcfg check FILE         whether the module reads the file as it stands
//   kalwcfg slad FOLDER [tak|nie]  the module's relay trace on or off for the
//                              host folder FOLDER (without tak|nie: which it is)
//
// Exit status: 0 done (check: the module reads the file), 1 the file cannot be
// used, read or written (nothing was changed), 2 wrong arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "console_text.h"
#include "file_access.h"
#include "replace_file.h"
#include "trace_switch.h"
#include "warehouse_flags.h"

namespace {

using namespace kw::tools;

constexpr int kDone = 0;
constexpr int kFileProblem = 1;
constexpr int kUsageProblem = 2;

// Read with room for a longer file, so that check can say what the module reads.
constexpr std::size_t kReadLimit = 1 << 20;

const char* const kUsage =
    "Użycie:\n"
    "  kalwcfg show [PLIK]       oznaczone magazyny (domyślnie komis.cfg w bieżącym folderze)\n"
    "  kalwcfg set PLIK NR...    oznacza magazyny (tworzy plik, gdy go nie ma)\n"
    "  kalwcfg clear PLIK NR...  zdejmuje oznaczenie magazynów\n"
    "  kalwcfg check PLIK        czy moduł przeczyta plik i co w nim jest\n"
    "  kalwcfg slad FOLDER [tak|nie]  ślad wywołań modułu w folderze danych programu: włącza, wyłącza\n"
    "                            (bez tak|nie: czy jest włączony); moduł sprawdza to przy starcie\n"
    "                            programu i przy poleceniu „Konfiguracja spr.obcej”\n"
    "Numery magazynów: 0..100. Plik konfiguracji ma dokładnie 202 bajty.\n";

void Say(const std::string& text) { WriteText(stdout, text + "\n"); }

int Fail(int status, const std::string& text) {
  WriteText(stderr, "kalwcfg: " + text + "\n");
  return status;
}

std::string Marked(const WarehouseFlags& flags) {
  const int count = MarkedCount(flags);
  if (count == 0) return "żaden magazyn nie jest oznaczony";
  return "oznaczone magazyny (" + std::to_string(count) + "): " + MarkedList(flags);
}

std::string WrongLength(const std::vector<uint8_t>& bytes) {
  return "plik ma " + ByteCount(bytes.size()) + ", a plik konfiguracji modułu ma dokładnie " +
         ByteCount(kw::kKomisCfgSize);
}

// The flags of an existing file of the right length; otherwise the message.
bool ReadFlags(const std::string& path, WarehouseFlags& flags, std::string& problem, bool& missing) {
  const FileBytes file = ReadWholeFile(path, kReadLimit);
  missing = file.missing;
  if (!file.ok) {
    problem = DisplayPath(path) + ": nie można odczytać pliku: " + file.reason;
    return false;
  }
  if (file.bytes.size() != kw::kKomisCfgSize) {
    problem = DisplayPath(path) + ": " + WrongLength(file.bytes);
    return false;
  }
  flags = DecodeFlags(file.bytes);
  return true;
}

int Show(const std::string& path) {
  WarehouseFlags flags;
  std::string problem;
  bool missing;
  if (!ReadFlags(path, flags, problem, missing)) return Fail(kFileProblem, problem);
  Say(DisplayPath(path) + ": " + Marked(flags));
  return kDone;
}

int Check(const std::string& path) {
  const std::string shown = DisplayPath(path);
  const FileBytes file = ReadWholeFile(path, kReadLimit);
  if (!file.ok) {
    Say(shown + ": nie można odczytać pliku: " + file.reason);
    Say(file.tooLong ? "Moduł przeczyta tylko pierwsze " + ByteCount(kw::kKomisCfgSize) + "."
                     : "Moduł ostrzeże: „Nie można otworzyć pliku konfiguracynego do odczytu!” i nie oznaczy "
                       "żadnego magazynu.");
    return kFileProblem;
  }
  const std::size_t size = file.bytes.size();
  if (size < kw::kKomisCfgSize) {
    Say(shown + ": " + WrongLength(file.bytes) + ".");
    Say("Moduł ostrzeże: „Błąd podczas czytania konfiguracji!” i nie oznaczy żadnego magazynu.");
    return kFileProblem;
  }
  const WarehouseFlags flags = DecodeFlags(file.bytes);
  if (size > kw::kKomisCfgSize) {
    Say(shown + ": " + WrongLength(file.bytes) + ".");
    Say("Moduł przeczyta tylko pierwsze " + ByteCount(kw::kKomisCfgSize) + ": " + Marked(flags) +
        ". Zapisze plik od nowa dopiero po zatwierdzeniu okna konfiguracji.");
    return kFileProblem;
  }
  Say(shown + ": " + ByteCount(size) + ", moduł przeczyta ten plik.");
  Say(Marked(flags));
  return kDone;
}

int Change(const std::string& path, const std::vector<std::string>& numbers, bool mark) {
  const std::string shown = DisplayPath(path);
  std::vector<int> warehouses;
  for (const std::string& text : numbers) {
    const auto number = ParseWarehouse(text);
    if (!number) {
      return Fail(kUsageProblem, "„" + DisplayPath(text) + "” nie jest numerem magazynu (0..100); plik " + shown +
                                     " nie został zmieniony");
    }
    warehouses.push_back(*number);
  }
  if (warehouses.empty()) return Fail(kUsageProblem, std::string("brak numerów magazynów\n") + kUsage);

  WarehouseFlags flags{};
  std::string problem;
  bool missing = false;
  const bool read = ReadFlags(path, flags, problem, missing);
  const bool create = !read && missing && mark;
  if (!read && !create) return Fail(kFileProblem, problem + "; plik nie został zmieniony");
  if (create) flags = {};

  for (const int warehouse : warehouses) {
    if (mark) {
      MarkWarehouse(flags, warehouse);
    } else {
      UnmarkWarehouse(flags, warehouse);
    }
  }
  const std::string failure = ReplaceWholeFile(path, EncodeFlags(flags));
  if (!failure.empty()) {
    return Fail(kFileProblem,
                shown + ": " + failure + (create ? "; plik nie został utworzony" : "; plik nie został zmieniony"));
  }
  Say(shown + (create ? " (nowy plik): " : ": ") + Marked(flags));
  return kDone;
}

int Trace(const std::string& folder, const std::string& choice) {
  const std::string shown = DisplayPath(TraceSwitchPath(folder));
  if (choice.empty()) {
    Say(TraceSwitchedOn(folder) ? "ślad włączony (" + shown + " istnieje)" : "ślad wyłączony");
    return kDone;
  }
  if (choice != "tak" && choice != "nie") return Fail(kUsageProblem, "„" + choice + "”: tylko tak albo nie\n" + kUsage);
  const bool on = choice == "tak";
  const std::string failure = SwitchTraceFile(folder, on);
  if (!failure.empty()) return Fail(kFileProblem, shown + ": " + failure);
  Say(on ? "ślad włączony: " + shown + "; moduł pisze Kalwestrowka-slad.txt od startu programu lub od polecenia "
             "„Konfiguracja spr.obcej”"
         : "ślad wyłączony od startu programu lub od polecenia „Konfiguracja spr.obcej”");
  return kDone;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Fail(kUsageProblem, std::string("brak polecenia\n") + kUsage);
  const std::string& command = args[0];
  if (command == "show" && args.size() <= 2) return Show(args.size() == 2 ? args[1] : kw::kKomisCfgFile);
  if (command == "check" && args.size() == 2) return Check(args[1]);
  if (command == "slad" && (args.size() == 2 || args.size() == 3)) return Trace(args[1], args.size() == 3 ? args[2] : "");
  if ((command == "set" || command == "clear") && args.size() >= 2) {
    return Change(args[1], std::vector<std::string>(args.begin() + 2, args.end()), command == "set");
  }
  return Fail(kUsageProblem, "nieznane polecenie lub zła liczba argumentów\n" + std::string(kUsage));
}
