// kalwcheck --slad: what a support engineer reads first of a shop's relay
// trace (Kalwestrowka-slad.txt): the events in their order, the host calls
// that failed, where the host called the module back inside the module's own
// calls, and the first place the module warned.
#pragma once

#include <string>

namespace kw::tools {

// The summary of a trace's text, in Polish, every line ended.
std::string TraceSummary(const std::string& trace);

}  // namespace kw::tools
