// The relay trace: when the administrator leaves the switch file beside
// komis.cfg, every call across the module's boundary with its host goes as
// one line into Kalwestrowka-slad.txt, through the host's log service (the
// line's form and kinds: trace_files.h).
//
// Off (the default), the slots hold the host's functions and nothing here runs
// but a test of TraceOn at the module's entries.
#pragma once

#include <cstdint>

#include "host_interface.h"
#include "trace_files.h"
#include "trace_state.h"

namespace kw {

inline constexpr int kTraceLineSize = 640;
// A text the host writes for the module is written whole up to this length
// (a journal line converted), so that a playback can hand it back.
inline constexpr int kMostAnswerText = 255;


// A line's text, composed within its bounds; never more than it holds.
class TraceText {
 public:
  TraceText& Put(const char* text);
  TraceText& Number(int32_t value);
  TraceText& Hex(uint32_t value);
  // In quotes, Mazovia letters for Windows, control characters as \n or \xNN,
  // at most `most` characters (60 unless told, at most 255); null as "null".
  // A text not in Mazovia (`mazovia` false: one the host wrote, which may be
  // in its target code page) goes in as it is.
  TraceText& Quoted(const char* text, int most = 60, bool mazovia = true);
  const char* Text() { return text_; }

 private:
  void Char(char c) {
    if (length_ < kTraceLineSize - 1) text_[length_++] = c;
    text_[length_] = '\0';
  }
  char text_[kTraceLineSize] = {};
  int length_ = 0;
};

// One line of the given kind at the current depth (nothing while off);
// false when a handler of the module's ran inside its append (what the host
// changed around it is then written after that handler's lines).
bool TraceWrite(char kind, const char* text);

// An entry into the module for as long as it runs: "> name code phase" and
// "< name" at its end, the lines between one level deeper.
class TraceEntry {
 public:
  // `object`: the working object whose operation the host called.
  TraceEntry(const char* name, int code, int phase, const void* object = nullptr)
      : name_(name), counted_(TraceOn != 0) {
    if (counted_) Enter(code, phase, object);
  }
  ~TraceEntry() {
    if (counted_) Leave();
  }
  TraceEntry(const TraceEntry&) = delete;
  TraceEntry& operator=(const TraceEntry&) = delete;

 private:
  void Enter(int code, int phase, const void* object);
  void Leave();
  const char* name_;
  bool counted_;
};

// A call of the host's own handler of an event that the module hands the
// event on to: "{ onward" before it, "} onward = answer" and what the host
// changed after it.
class TraceOnward {
 public:
  TraceOnward() : counted_(TraceOn != 0) {
    if (counted_) Before();
  }
  int Back(int answer) const {
    if (counted_) After(answer);
    return answer;
  }
  TraceOnward(const TraceOnward&) = delete;
  TraceOnward& operator=(const TraceOnward&) = delete;

 private:
  static void Before();
  static void After(int answer);
  bool counted_;
};

// Hands a document event on to the host's previous handler (none: 0).
inline int HandEventOn(DocumentEventHandler* previous, int code, int phase) {
  if (!previous) return 0;
  const TraceOnward onward;
  return onward.Back(previous(code, phase));
}

// The register's list a table handler reads ("+ L" lines) for as long as it
// runs; the list of a handler further up is watched again after it.
class TraceListWatch {
 public:
  TraceListWatch(int* count, int** numbers) : watching_(TraceOn != 0) {
    if (watching_) Watch(count, numbers);
  }
  ~TraceListWatch() {
    if (watching_) Restore();
  }
  TraceListWatch(const TraceListWatch&) = delete;
  TraceListWatch& operator=(const TraceListWatch&) = delete;

 private:
  void Watch(int* count, int** numbers);
  void Restore();
  bool watching_;
  int* savedCount_ = nullptr;
  int** savedNumbers_ = nullptr;
};

// The fields of `set` that lie within `length` bytes of `record`, their
// values one after another in `values` (a text cut at its zero); answers how
// many.
int TakeRecordValues(const RecordFields& set, const uint8_t* record, int length, uint8_t* values);
// The values of a record's first `count` fields (as TakeRecordValues lays
// them out), each after a blank.
void TracePutFields(TraceText& text, const RecordFields& set, const uint8_t* values, int count);
// Lines of what changed in the watched records and the list since they were
// last written: of kind kTraceData for the host's changes, kTraceHanded for
// the module's.
void TraceWriteChanges(char kind);
// "I n=count" and "I position fields" a line: the document's item lines as
// the cells HostItemCountRef and HostItemArrayRef answered last hold them,
// when they changed since they were last written (the count or the array),
// or `always`.
void TraceWriteItems(char kind, bool always);
// "C kind": the host's context (HostCurrentContext) when it changed since it
// was last written, or `always`.
void TraceWriteContext(char kind, bool always);
// The table at this place of TraceTables is watched, its record written anew.
void TraceWatchTable(int index);
// No table is watched: the outermost entry has ended.
void TraceForgetTables();

// A decision of the module (a journal line, a warning): "! word text".
void TraceDecision(const char* word, const char* text);

// Reads the switch file through the host and puts the trace on or off.
void ReadTraceSwitch();
// On: the slots of the bound rows hold the relay entries; off: the host's
// functions again.
void SwitchTrace(bool on);

}  // namespace kw
