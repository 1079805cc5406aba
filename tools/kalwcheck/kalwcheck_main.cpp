// kalwcheck: will the module bind to this host? Reads a host's TALMER.dll (or
// the folder that holds it) and reports, from the module's own tables, what
// the module finds there and what the user will see at load.
//
//   kalwcheck [--json] PATH
//
// Exit status: 0 everything present, 1 loads only after Ignore with fallbacks,
// 2 cannot load, 3 not a host library or unreadable; 4 wrong arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "binding_check.h"
#include "console_text.h"
#include "file_access.h"
#include "report.h"

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

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      json = true;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 1) {
    WriteText(stderr,
              "Użycie: kalwcheck [--json] ŚCIEŻKA\n"
              "ŚCIEŻKA: plik TALMER.dll programu albo folder, w którym on leży.\n"
              "Wynik: 0 są wszystkie wpisy, 1 moduł się załaduje po „Ignoruj”, 2 moduł się nie załaduje,\n"
              "3 to nie jest biblioteka programu lub nie da się jej odczytać.\n");
    return kUsageProblem;
  }
  std::string path = paths[0];
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
