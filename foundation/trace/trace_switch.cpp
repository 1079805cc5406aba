// The switch of the trace: the file Kalwestrowka-slad.cfg in the host's data
// folder, beside komis.cfg (kalwcfg slad FOLDER tak|nie). The trace is on
// while the host opens the file, whatever it holds; a file the host cannot
// open leaves it off.
#include <windows.h>

#include "host_interface.h"
#include "trace.h"
#include "trace_state.h"

namespace kw {

void SwitchRelay(bool on);  // relay.cpp

namespace {

// The host's open arguments for a file read whole (as for komis.cfg): any
// sharing, no reserved value, every access.
constexpr int kShareAny = 0x40;
constexpr int kAccessAny = -1;

}  // namespace

void SwitchTrace(bool on) {
  if (on == (TraceOn != 0)) return;
  if (!on) {
    TraceOn = 0;
    SwitchRelay(false);
    return;
  }
  // Stopped at the bound, it stays off until the program starts again.
  if (TraceBytes >= kTraceLimit) return;
  TraceDepth = 0;
  TraceOn = 1;
  SwitchRelay(true);
  TraceWrite(kTraceOwn, "slad wlaczony: Kalwestrowka-slad.txt");
}

void ReadTraceSwitch() {
  HostFile* file = HostOpenFile(kTraceSwitchFile, "rb", kShareAny, 0, kAccessAny);
  if (file) HostCloseFile(file);
  if (!file) TraceWrite(kTraceOwn, "slad wylaczony");
  SwitchTrace(file != nullptr);
}

}  // namespace kw
