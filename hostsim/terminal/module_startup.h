// The module's start as the host does it: load (a binding dialog may come
// up), installation with the host's verdict, registration with its notice.
// Each step leaves a line for the start-up report on the main screen.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "plugin_module.h"
#include "session.h"

namespace hostsim::terminal {

struct StartOptions {
  std::string modulePath;                          // empty: the module next to the program
  std::vector<uint16_t> omittedOrdinals;           // taken out of the host library before the load
  std::vector<std::pair<int, int>> recordLengths;  // table, record length the host declares
};

// True when the module is loaded, installed and registered.
bool StartModule(Session& session, PluginModule& module, const StartOptions& options,
                 std::vector<std::string>& report);

}  // namespace hostsim::terminal
