// The trace's lines: composed on the stack, queued, and handed to the host's
// log service by one drain at a time, through the host's own function of
// HostAppendLog so that the trace never passes through its own relay. A
// handler the host runs inside the append only queues its lines; the drain
// that is on the stack writes them after the line it was writing. Only when
// they fill the queue does the handler write them itself, oldest first, so
// that no line is lost and the order stays.
#include <windows.h>

#include "format_text.h"
#include "handler_scope.h"
#include "host_catalogue.h"
#include "trace.h"
#include "trace_state.h"
#include "windows_text.h"

namespace kw {

namespace {

constexpr int kMostQuoted = 255;
constexpr int kMostLevels = 12;
// A line: the time (13), two blanks a level, the kind and a blank, the text
// and its zero.
constexpr int kLineRoom = 13 + 2 * kMostLevels + 2 + kTraceLineSize;

// The host's own HostAppendLog, whichever way its slot stands; null when the
// row is not bound.
HostAppendLog_fn* HostAppend() {
  constexpr int row = CatalogueRowOf(52407);
  static_assert(row >= 0);
  HostSlot slot = KwHostSlots[row];
  if (slot == RelayEntry(row)) slot = KwRelayTargets[row];
  if (slot == KwFirstCallEntries[row]) return nullptr;
  return reinterpret_cast<HostAppendLog_fn*>(slot);
}

void Drain(bool full);

void Enqueue(const char* line, int length) {
  if (TraceQueued + length + 1 > kTraceQueueSize) Drain(true);
  if (TraceQueued + length + 1 > kTraceQueueSize) return;  // only a trace gone off finds no room
  CopyMemory(TraceQueue + TraceQueued, line, length + 1);
  TraceQueued += length + 1;
}

// Takes the first line off the queue into `line`.
void Dequeue(char (&line)[kLineRoom]) {
  const int length = lstrlenA(TraceQueue);
  CopyMemory(line, TraceQueue, length + 1);
  TraceQueued -= length + 1;
  MoveMemory(TraceQueue, TraceQueue + length + 1, TraceQueued);
}

// The host's append, answered 0 or missing: the trace goes off, silently.
// `full`: the queue has no room, and is written even inside another drain.
void Drain(bool full) {
  if (TraceWriting && !full) return;
  const int writingAround = TraceWriting;
  TraceWriting = 1;
  while (TraceQueued > 0) {
    char line[kLineRoom];
    Dequeue(line);
    HostAppendLog_fn* append = HostAppend();
    if (!append || append(kTraceFile, line) == 0) {
      SwitchTrace(false);
      TraceQueued = 0;
    }
  }
  TraceWriting = writingAround;
}

void Queue(char kind, const char* text, int depth) {
  char line[kLineRoom];
  SYSTEMTIME now;
  GetLocalTime(&now);
  char time[24];
  FormatText(time, "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  lstrcpyA(line, time);
  int length = lstrlenA(line);
  for (int i = 0; i < depth && i < kMostLevels; ++i) {
    line[length++] = ' ';
    line[length++] = ' ';
  }
  line[length++] = kind;
  line[length++] = ' ';
  lstrcpynA(line + length, text, kTraceLineSize);
  length += lstrlenA(line + length);
  TraceBytes += length + 2;
  Enqueue(line, length);
}

}  // namespace

namespace {

// A line indented `depth` levels; answers false when a handler of the
// module's ran inside its append.
bool WriteLine(char kind, const char* text, int depth) {
  if (!TraceOn || TraceBytes >= kTraceLimit) return true;
  Queue(kind, text, depth);
  const bool last = TraceBytes >= kTraceLimit;
  if (last) Queue(kTraceOwn, "slad zatrzymany: osiagnieto 8 MB", 0);
  // A handler the host ran inside the append: what the host changed around
  // it is the host's, written after that handler's lines.
  const uint32_t started = HandlersStarted;
  Drain(false);
  if (last) SwitchTrace(false);
  if (HandlersStarted == started) return true;
  TraceWriteChanges(kTraceData);
  return false;
}

}  // namespace

bool TraceWrite(char kind, const char* text) { return WriteLine(kind, text, TraceDepth); }

void TraceEntry::Enter(int code, int phase, const void* object) {
  TraceText text;
  text.Put(name_).Put(" ").Number(code).Put(" ").Number(phase).Put(" depth=").Number(TraceDepth + 1);
  if (object) text.Put(" this=").Hex(reinterpret_cast<uintptr_t>(object));
  if (TraceWriting) text.Put(kTraceInOwnAppend);
  TraceWrite(kTraceEntry, text.Text());
  ++TraceDepth;
  TraceWriteChanges(kTraceData);
}

// The end is written at the entry's level while the entry still counts: a
// handler the host runs inside its append is one level deeper.
void TraceEntry::Leave() {
  TraceWriteChanges(kTraceHanded);
  WriteLine(kTraceLeave, name_, TraceDepth > 0 ? TraceDepth - 1 : 0);
  if (TraceDepth > 0) --TraceDepth;
  if (TraceDepth == 0) TraceForgetTables();
}

void TraceOnward::Before() {
  TraceWriteChanges(kTraceHanded);
  TraceWrite(kTraceOnward, "onward");
}

void TraceOnward::After(int answer) {
  TraceText text;
  TraceWrite(kTraceBack, text.Put("onward = ").Number(answer).Text());
  TraceWriteChanges(kTraceData);
}

void TraceDecision(const char* word, const char* text) {
  if (!TraceOn) return;
  TraceText line;
  line.Put(word).Put(" ").Quoted(text);
  TraceWrite(kTraceDecision, line.Text());
}

TraceText& TraceText::Put(const char* text) {
  for (const char* c = text; *c; ++c) Char(*c);
  return *this;
}

TraceText& TraceText::Number(int32_t value) {
  char digits[16];
  FormatText(digits, "%ld", static_cast<long>(value));
  return Put(digits);
}

TraceText& TraceText::Hex(uint32_t value) {
  char digits[16];
  FormatText(digits, "0x%08lX", static_cast<unsigned long>(value));
  return Put(digits);
}

TraceText& TraceText::Quoted(const char* text, int most, bool mazovia) {
  if (!text) return Put("null");
  char shown[kMostQuoted + 1];
  if (most > kMostQuoted) most = kMostQuoted;
  lstrcpynA(shown, text, most + 1);
  if (mazovia) MazoviaToWindows1250(shown);
  Char('"');
  for (const char* c = shown; *c; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    if (byte == '\n') {
      Put("\\n");
    } else if (byte < 0x20 || byte == '"' || byte == '\\') {
      char escaped[8];
      FormatText(escaped, "\\x%02X", byte);
      Put(escaped);
    } else {
      Char(*c);
    }
  }
  Char('"');
  // Not read further than shown: the text may end at a guard page.
  if (lstrlenA(shown) == most) Put("...");
  return *this;
}

}  // namespace kw
