// The main menu: the sales documents, the JPK register, the commands the
// module registered (read from the command records it handed over), and the
// end; beside it the start-up report.
#pragma once

#include <string>
#include <vector>

#include "session.h"

namespace hostsim::terminal {

void RunMainMenu(Session& session, const std::vector<std::string>& startReport, const std::string& filesFolder);

}  // namespace hostsim::terminal
