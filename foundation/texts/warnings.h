// How the module tells the user: a failure of its own work with the warning
// box "Uwaga" and one time-stamped line in the module log "Kalwestrowka.log";
// the boxes it shows without a log line.
#pragma once

namespace kw {

inline constexpr int kLogLineSize = 4096;

// text: Mazovia. The box shows it as it is; the log gets "date-time text"
// in the Windows code page, cut to the line buffer when too long.
void WarnAndLog(const char* text);
// The same for a message composed from a format and one text argument.
void WarnAndLogWith(const char* format, const char* argument);

// The box "Uwaga" of an operation that stops for want of a table or of room
// to keep the host's record: "Błąd operacji dyskowej-<operation>!\nOperacja
// niekompletna!", not logged. When the room was what failed, this box is
// the one answer: the callers of that operation add nothing.
void ShowDiskError(const char* operation);

// A host message box with a formatted text; not written to the module log.
// Answers what the host answers.
int ShowMessageFmt(const char* title, const char* format, int style, ...);

}  // namespace kw
