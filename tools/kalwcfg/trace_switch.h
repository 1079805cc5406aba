// kalwcfg slad: the module's relay trace switched on or off for one host
// folder, by the switch file Kalwestrowka-slad.cfg beside komis.cfg. The
// module reads it at its installation and whenever its command
// "Konfiguracja spr.obcej" runs.
#pragma once

#include <string>

namespace kw::tools {

std::string TraceSwitchPath(const std::string& folder);
bool TraceSwitchedOn(const std::string& folder);
// Empty when done, else the reason in Polish.
std::string SwitchTraceFile(const std::string& folder, bool on);

}  // namespace kw::tools
