// How the module reports a failure of its own work: the warning box "Uwaga",
// then one time-stamped line in the module log "Kalwestrowka.log".
#pragma once

namespace kw {

inline constexpr int kLogLineSize = 4096;

// text: Mazovia. The box shows it as it is; the log gets "date-time text"
// in the Windows code page, cut to the line buffer when too long.
void WarnAndLog(const char* text);
// The same for a message composed from a format and one text argument.
void WarnAndLogWith(const char* format, const char* argument);

}  // namespace kw
