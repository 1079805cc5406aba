// The terminal host: the simulated host program with a text screen, driven
// by a person at the keyboard. It starts the module as the host does, then
// offers the main menu.
//
//   kalwestrowka_terminal.exe [--module PATH] [--omit ORDINAL[,ORDINAL...]]
//                             [--record-length TABLE=BYTES] [--wait-ms MS]
//
// --module loads another module file (a Unix path is reached through Z:),
// --omit takes entries out of the host library (the module's binding dialog
// then comes up), --record-length makes the host declare another record length
// for a table (the module's compatibility report), --wait-ms is how long a
// wait box stays at least (1500 ms unless given).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "guarded_memory.h"
#include "example_shop.h"
#include "host_boxes.h"
#include "host_defaults.h"
#include "main_menu.h"
#include "module_startup.h"
#include "config_dialog_view.h"
#include "sim_config_dialog.h"
#include "sim_files.h"
#include "windows_boxes.h"

using namespace hostsim;
using namespace hostsim::terminal;

namespace {

std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool ReadOptions(int argc, char** argv, StartOptions& options, DWORD& waitMs) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (option == "--module") {
      options.modulePath = WindowsPath(value);
    } else if (option == "--omit") {
      for (std::size_t at = 0; at < value.size();) {
        std::size_t end = value.find(',', at);
        if (end == std::string::npos) end = value.size();
        options.omittedOrdinals.push_back(static_cast<uint16_t>(std::atoi(value.substr(at, end - at).c_str())));
        at = end + 1;
      }
    } else if (option == "--record-length") {
      const std::size_t equals = value.find('=');
      if (equals == std::string::npos) return false;
      options.recordLengths.push_back({std::atoi(value.substr(0, equals).c_str()), std::atoi(value.c_str() + equals + 1)});
    } else if (option == "--wait-ms") {
      waitMs = static_cast<DWORD>(std::atoi(value.c_str()));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  StartOptions options;
  DWORD waitMs = 1500;
  if (!ReadOptions(argc, argv, options, waitMs)) {
    std::fputs("usage: kalwestrowka_terminal.exe [--module PATH] [--omit ORDINAL[,ORDINAL...]]\n"
               "                                 [--record-length TABLE=BYTES] [--wait-ms MS]\n",
               stderr);
    return 2;
  }
  InstallFaultReporter();
  Host& host = Host::Get();
  InstallDefaultHandlers(host);
  Screen screen;
  Keyboard keyboard(screen);
  BoxWindow boxes(screen, keyboard);
  boxes.SetWaitMinimum(waitMs);
  ExampleShop shop(host);
  shop.AddContractors();
  shop.AddRegisterEntries();
  Session session(host, screen, keyboard, boxes, shop);

  AnswerBoxesInteractively(host, boxes);
  ConfigDialogView dialogs(session);
  host.Use<SimConfigDialog>().Interactive(&dialogs);

  PluginModule module;
  std::vector<std::string> report;
  StartModule(session, module, options, report);
  RunMainMenu(session, report, host.Use<SimFiles>().Folder());

  module.Unload();
  screen.Fill({0, 0, kColumns, kRows}, FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE);
  screen.Show();
  return host.Faults().empty() ? 0 : 1;
}
