// kalwcheck: will the module bind to this host? Reads a host's TALMER.dll (or
// the folder that holds it) and reports, from the module's own tables, what
// the module finds there and what the user will see at load.
//
//   kalwcheck [--json] PATH
//
// Exit status: 0 everything present, 1 loads only after Ignore with fallbacks,
// 2 cannot load, 3 not a host library or unreadable; 4 wrong arguments.
//
// And the shipped files' SHA-256, alone or against the package's list:
//
//   kalwcheck --sha256 FILE...
//   kalwcheck --sha256 --lista SHA256SUMS [FILE...]
//
// Exit status: 0 every file checked matches, 1 a file differs, 3 a file could
// not be checked and none differs; 4 wrong arguments.
//
// And the summary of a shop's relay trace (Kalwestrowka-slad.txt):
//
//   kalwcheck --slad FILE
//
// Exit status: 0 summarised, 3 the file could not be read; 4 wrong arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "binding_check.h"
#include "checksum_list.h"
#include "console_text.h"
#include "file_access.h"
#include "report.h"
#include "trace_summary.h"
#include "windows1250.h"

#ifndef _WIN32
#include <dirent.h>
#include <strings.h>
#endif

namespace {

using namespace kw::tools;

constexpr int kUsageProblem = 4;
constexpr std::size_t kReadLimit = std::size_t{256} << 20;

// The host library inside a folder. Natively the name is matched without
// regard to case, as Windows does.
std::string LibraryInFolder(const std::string& folder) {
#ifdef _WIN32
  return folder + "\\" + kw::kHostLibraryFile;
#else
  std::string found = folder + "/" + kw::kHostLibraryFile;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* item = readdir(dir)) {
      if (strcasecmp(item->d_name, kw::kHostLibraryFile) == 0) {
        found = folder + "/" + item->d_name;
        break;
      }
    }
    closedir(dir);
  }
  return found;
#endif
}

BindingCheck Unreadable(const std::string& reason) {
  PeExports unread;
  unread.problem = "nie można odczytać pliku: " + reason;
  return CheckBinding(unread);
}

struct Arguments {
  bool json = false;
  bool sha256 = false;
  std::string trace;  // --slad
  std::string list;  // --lista
  std::vector<std::string> paths;
  bool valid = true;
};

Arguments ReadArguments(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      arguments.json = true;
    } else if (arg == "--sha256") {
      arguments.sha256 = true;
    } else if (arg == "--lista" && i + 1 < argc) {
      arguments.list = argv[++i];
    } else if (arg == "--lista") {
      arguments.valid = false;
    } else if (arg == "--slad" && i + 1 < argc) {
      arguments.trace = argv[++i];
    } else if (arg == "--slad") {
      arguments.valid = false;
    } else {
      arguments.paths.push_back(arg);
    }
  }
  if (!arguments.trace.empty()) {
    arguments.valid &= !arguments.json && !arguments.sha256 && arguments.list.empty() && arguments.paths.empty();
  } else if (arguments.sha256) {
    arguments.valid &= !arguments.json && (!arguments.list.empty() || !arguments.paths.empty());
  } else {
    arguments.valid &= arguments.list.empty() && arguments.paths.size() == 1;
  }
  return arguments;
}

int CheckSums(const Arguments& arguments) {
  const SumReport report = arguments.list.empty() ? DigestLines(arguments.paths)
                                                  : CheckAgainstList(arguments.list, arguments.paths);
  WriteText(stdout, report.text);
  return static_cast<int>(report.status);
}

int SummariseTrace(const std::string& path) {
  const FileBytes file = ReadWholeFile(path, kReadLimit);
  if (!file.ok) {
    WriteText(stderr, "kalwcheck: " + DisplayPath(path) + ": nie można odczytać pliku: " + file.reason + "\n");
    return 3;
  }
  // The module writes its trace in the Windows code page, as its log.
  WriteText(stdout, TraceSummary(Cp1250ToUtf8(std::string(file.bytes.begin(), file.bytes.end()))));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Arguments arguments = ReadArguments(argc, argv);
  if (!arguments.valid) {
    WriteText(stderr,
              "Użycie: kalwcheck [--json] ŚCIEŻKA\n"
              "ŚCIEŻKA: plik TALMER.dll programu albo folder, w którym on leży.\n"
              "Wynik: 0 są wszystkie wpisy, 1 moduł się załaduje po „Ignoruj”, 2 moduł się nie załaduje,\n"
              "3 to nie jest biblioteka programu lub nie da się jej odczytać.\n"
              "\n"
              "Użycie: kalwcheck --sha256 [--lista SHA256SUMS] [PLIK...]\n"
              "Sumy SHA-256 plików; z listą: czy pliki są takie jak na liście (bez plików: wszystkie\n"
              "z listy, w jej folderze). Wynik: 0 wszystkie zgodne, 1 któryś plik jest inny,\n"
              "3 któregoś pliku nie sprawdzono, a żaden nie jest inny.\n"
              "\n"
              "Użycie: kalwcheck --slad Kalwestrowka-slad.txt\n"
              "Streszczenie śladu modułu: zdarzenia, nieudane wywołania programu, wywołania\n"
              "modułu w trakcie jego wywołań, pierwsze ostrzeżenie. Wynik: 0 gotowe, 3 nie da się odczytać.\n");
    return kUsageProblem;
  }
  if (!arguments.trace.empty()) return SummariseTrace(arguments.trace);
  if (arguments.sha256) return CheckSums(arguments);
  const bool json = arguments.json;
  std::string path = arguments.paths[0];
  if (IsDirectory(path)) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    path = LibraryInFolder(path);
  }

  const FileBytes file = ReadWholeFile(path, kReadLimit);
  const BindingCheck check = file.ok ? CheckBinding(ReadPeExports(file.bytes)) : Unreadable(file.reason);
  const std::string shown = DisplayPath(path);
  WriteText(stdout, json ? JsonReport(shown, check) : TextReport(shown, check));
  return static_cast<int>(check.status);
}
