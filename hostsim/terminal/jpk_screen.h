// The JPK register: its entries as the host lists them, and F2, with which
// the host prepares the register (event 231 on its table): the module's
// handler then removes what it must, and the list shows what is left.
#pragma once

#include "session.h"

namespace hostsim::terminal {

void RunJpkScreen(Session& session);

}  // namespace hostsim::terminal
