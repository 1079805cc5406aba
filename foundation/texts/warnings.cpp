#include "warnings.h"

#include "format_text.h"
#include "host_interface.h"
#include "trace.h"

namespace kw {

void WarnAndLogWith(const char* format, const char* argument) {
  char text[256];
  FormatText(text, format, argument);
  WarnAndLog(text);
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
  HostConvertText(line, line, 1, 3);
  HostAppendLog("Kalwestrowka.log", line);
}

}  // namespace kw
