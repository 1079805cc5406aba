// The relay trace: when the administrator leaves the switch file beside
// komis.cfg, every call across the module's boundary with its host goes as
// one line into Kalwestrowka-slad.txt, through the host's log service (the
// line's form and kinds: trace_files.h).
//
// Off (the default), the slots hold the host's functions and nothing here runs
// but a test of TraceOn at the module's entries.
#pragma once

#include <cstdint>

#include "trace_files.h"
#include "trace_state.h"

namespace kw {

inline constexpr int kTraceLineSize = 400;


// A line's text, composed within its bounds; never more than it holds.
class TraceText {
 public:
  TraceText& Put(const char* text);
  TraceText& Number(int32_t value);
  TraceText& Hex(uint32_t value);
  // In quotes, Mazovia letters for Windows, control characters as \n or \xNN,
  // at most 60 characters; null as "null".
  TraceText& Quoted(const char* text);
  const char* Text() { return text_; }

 private:
  void Char(char c) {
    if (length_ < kTraceLineSize - 1) text_[length_++] = c;
    text_[length_] = '\0';
  }
  char text_[kTraceLineSize] = {};
  int length_ = 0;
};

// One line of the given kind at the current depth (nothing while off).
void TraceWrite(char kind, const char* text);

// An entry into the module for as long as it runs: "> name code phase" and
// "< name" at its end, the lines between one level deeper.
class TraceEntry {
 public:
  TraceEntry(const char* name, int code, int phase) : name_(name), counted_(TraceOn != 0) {
    if (counted_) Enter(code, phase);
  }
  ~TraceEntry() {
    if (counted_) Leave();
  }
  TraceEntry(const TraceEntry&) = delete;
  TraceEntry& operator=(const TraceEntry&) = delete;

 private:
  void Enter(int code, int phase);
  void Leave();
  const char* name_;
  bool counted_;
};

// A decision of the module (a journal line, a warning): "! word text".
void TraceDecision(const char* word, const char* text);

// Reads the switch file through the host and puts the trace on or off.
void ReadTraceSwitch();
// On: the slots of the bound rows hold the relay entries; off: the host's
// functions again.
void SwitchTrace(bool on);

}  // namespace kw
