// The boxes the module opens, shown to the person at the screen: the host's
// message, warning and wait boxes, its stock dialog (the installation notice),
// and the Windows message boxes the module shows itself (the binding dialog).
#pragma once

#include <string>

#include "box_window.h"
#include "host.h"

namespace hostsim::terminal {

// From now on the host's components ask the person instead of a script.
void AnswerBoxesInteractively(Host& host, BoxWindow& window);

// The label of the button that gives a Windows message box's answer.
std::string WindowsAnswerName(int answer);

}  // namespace hostsim::terminal
