#include "warnings.h"

#include "format_text.h"
#include "host_interface.h"

namespace kw {

namespace {
constexpr int kWarningStyle = 1;  // warning box with an OK button
}  // namespace

void WarnAndLog(const char* text) {
  HostMessageBox("Uwaga", text, kWarningStyle);
  char time[256] = {};
  char date[256] = {};
  char line[kLogLineSize];
  HostGetTimeText(time, 0);
  HostGetDateText(date);
  FormatText(line, "%s-%s %s", date, time, text);
  HostConvertText(line, line, 1, 3);
  HostAppendLog("Kalwestrowka.log", line);
}

}  // namespace kw
