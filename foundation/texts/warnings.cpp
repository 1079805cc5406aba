#include "warnings.h"

#include <cstdarg>

#include "format_text.h"
#include "host_code_pages.h"
#include "host_interface.h"
#include "mazovia.h"
#include "trace.h"

namespace kw {

void WarnAndLogWith(const char* format, const char* argument) {
  char text[256];
  FormatText(text, format, argument);
  WarnAndLog(text);
}

int ShowMessageFmt(const char* title, const char* format, int style, ...) {
  va_list args;
  va_start(args, style);
  const int answer = HostMessageBoxFmtV(0, title, format, style, args);
  va_end(args);
  return answer;
}

void ShowDiskError(const char* operation) {
  char text[128];
  FormatText(text, MZ("Błąd operacji dyskowej-%s!\nOperacja niekompletna!"), operation);
  HostMessageBox("Uwaga", text, kWarningBoxStyle);
}

void WarnAndLog(const char* text) {
  TraceDecision("UWAGA", text);
  HostMessageBox("Uwaga", text, kWarningBoxStyle);
  char time[256] = {};
  char date[256] = {};
  char line[kLogLineSize];
  HostGetTimeText(time, 0);
  HostGetDateText(date);
  // A text that fills its buffer ends at the buffer's end.
  time[sizeof time - 1] = '\0';
  date[sizeof date - 1] = '\0';
  FormatText(line, "%s-%s %s", date, time, text);
  HostConvertText(line, line, kHostCodeMazovia, kHostCodeWindows1250);
  HostAppendLog("Kalwestrowka.log", line);
}

}  // namespace kw
