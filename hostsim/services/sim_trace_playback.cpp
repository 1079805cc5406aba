// The playback's order: the entries the trace shows, the host calls the
// module makes answered from the trace, the call-backs inside them, and every
// line the module writes held to the trace's line at its place.
#include "sim_trace_playback.h"

#include <cstdlib>
#include <regex>
#include <utility>

#include "call_checked.h"
#include "host_rows.h"
#include "sim_commands.h"
#include "sim_installation.h"
#include "trace_files.h"

namespace hostsim {

namespace {

TracePlayback* playing = nullptr;

int __stdcall PreviousTableHandler(int, int, int*, int, int, HostTable*, int**, HostSelection*, void*, int,
                                   int16_t*) {
  return playing ? playing->CallBacks() : 0;
}

// The callback thunk's second operation: the callable the host is handed.
void* __attribute__((thiscall)) ThunkCallable(void* thunk) { return thunk; }
const void* const kThunkTable[] = {nullptr, reinterpret_cast<const void*>(&ThunkCallable)};

// The entries of the host's events, by the event they are registered for.
struct HookedEntry {
  const char* name;
  int event;
};
constexpr HookedEntry kHookedEntries[] = {{"ReassignHook", 1664}, {"ConversionHook", 815}};

// A line without its time, its addresses as "0x?".
std::string Normalized(const std::string& raw) {
  static const std::regex address("0x[0-9A-F]{8}");
  const std::size_t gap = raw.find(' ');
  return std::regex_replace(gap == std::string::npos ? raw : raw.substr(gap), address, "0x?");
}

}  // namespace

// The values of a line, separated by `separator` outside quotes.
std::vector<std::string> TraceValues(const std::string& text, const std::string& separator) {
  std::vector<std::string> values;
  std::string value;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (!quoted && text.compare(i, separator.size(), separator) == 0) {
      if (!value.empty()) values.push_back(value);
      value.clear();
      i += separator.size() - 1;
      continue;
    }
    value += text[i];
  }
  if (!value.empty()) values.push_back(value);
  return values;
}

// The arguments of a call line "ordinal(a, b, c)".
std::vector<std::string> CallArguments(const std::string& text) {
  const std::size_t open = text.find('(');
  const std::size_t close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close <= open) return {};
  return TraceValues(text.substr(open + 1, close - open - 1), ", ");
}

namespace {

}  // namespace

int __stdcall PreviousHookOfHost(int, int) { return playing ? playing->CallBacks() : 0; }

TracePlayback::TracePlayback(std::vector<std::string> recorded) { Load(recorded); }

TracePlayback::~TracePlayback() {
  if (playing == this) playing = nullptr;
}

void TracePlayback::Load(const std::vector<std::string>& recorded) {
  for (const std::string& raw : recorded) {
    Line line;
    const std::size_t gap = raw.find(' ');
    const std::size_t kind = gap == std::string::npos ? gap : raw.find_first_not_of(' ', gap + 1);
    if (kind != std::string::npos) {
      line.depth = static_cast<int>((kind - gap - 1) / 2);
      line.kind = raw[kind];
      line.text = raw.substr(std::min(kind + 2, raw.size()));
    }
    const bool off = line.kind == kw::kTraceOwn && (line.text.find("zatrzymany") != std::string::npos ||
                                                    line.text.find("wylaczony") != std::string::npos);
    if (off) break;  // what follows the trace's stop or its switching off is not all there
    lines_.push_back(line);
    normalized_.push_back(Normalized(raw));
  }
  end_ = lines_.size();
  inAppend_.assign(end_, false);
  consumed_.assign(end_, false);
}

std::optional<std::string> TracePlayback::Run() {
  playing = this;
  InstallHandlers();
  if (!module_.Load()) return "the module did not load";
  module_.Install(SimInstallation::InstallCallback(), nullptr);
  while (!free_ && Next() < end_) {
    // A call-back the host runs inside the append of the entry's first line.
    const std::size_t foreign = ForeignLine(Next());
    const std::size_t at = foreign < end_ ? foreign : Next();
    if (lines_[at].kind != kw::kTraceEntry) {
      Fail(at, "the host's next entry into the module was expected, the module wrote no more");
      break;
    }
    PerformEntry(at, foreign >= end_);
  }
  free_ = true;
  module_.Unload();
  playing = nullptr;
  return failure_;
}

void TracePlayback::InstallHandlers() {
  Host& host = Host::Get();
  for (int row = 0; row < kw::kHostCatalogueSize; ++row) {
    host.On(RowAt(row).ordinal, [this](HostCall& call) { return OnHostCall(call); });
  }
  Table& registerTable = TableNumbered(kw::kJpkTable);
  registerTable.object.EventHandler = &PreviousTableHandler;
}

void TracePlayback::Fail(std::size_t at, const std::string& what) {
  if (!failure_) {
    failure_ = "trace line " + std::to_string(at + 1) + " \"" + (at < lines_.size() ? normalized_[at] : "") +
               "\": " + what;
  }
  free_ = true;
}

uint32_t TracePlayback::OnTraceAppend(const HostCall& call) {
  const std::string line = Normalized(call.Text(1));
  if (!on_ && line.find("slad wlaczony") != std::string::npos) on_ = true;
  if (!on_ || free_) return 1;
  while (written_ < end_ && consumed_[written_]) ++written_;
  std::size_t at = written_;
  // The host ran the call-back inside the append of a line of the module's
  // that it had not written yet, and the call-back's lines filled the queue:
  // that line stands among the call-back's (ForeignLine), and the call-back
  // is performed in its append.
  const std::size_t foreign = ForeignLine(written_);
  const bool delayed = foreign < end_ && written_ < end_ && line != normalized_[written_] && line == normalized_[foreign];
  if (delayed) at = foreign;
  if (written_ < end_ && line != normalized_[at]) {
    Fail(written_, "the module wrote \"" + line + "\"");
    return 1;
  }
  if (at < end_ && !inAppend_[at] && lines_[at].kind == kw::kTraceCall) {
    callLine_ = at;
    callLineNew_ = true;
  }
  consumed_[std::min(at, end_ - 1)] = true;
  while (written_ < end_ && consumed_[written_]) ++written_;
  const std::size_t next = delayed ? written_ : Next();
  if (!queued_ && IsCallBackInAppend(next) && (delayed || ForeignLine(next) >= end_)) {
    for (std::size_t inside = next; inside < EntryEnd(next); ++inside) inAppend_[inside] = true;
    uint8_t* const answered = answeredBuffer_;
    ++queued_;
    cursor_ = next;
    PerformEntry(next);
    --queued_;
    answeredBuffer_ = answered;
    // What the host changed after it comes next.
    for (std::size_t data = EntryEnd(next); data < end_ && lines_[data].kind == kw::kTraceData;) {
      data = ApplyData(data);
    }
  }
  return 1;
}

// The line of the module's own among the lines of the call-back in the
// trace's own append that starts at `at`; end_ when there is none.
std::size_t TracePlayback::ForeignLine(std::size_t at) const {
  if (!IsCallBackInAppend(at)) return end_;
  for (std::size_t inside = at + 1; inside + 1 < EntryEnd(at); ++inside) {
    if (lines_[inside].depth <= lines_[at].depth && !consumed_[inside]) return inside;
  }
  return end_;
}

uint32_t TracePlayback::OnHostCall(HostCall& call) {
  const uint16_t ordinal = call.info->ordinal;
  if (ordinal == 52407 && call.Text(0) == kw::kTraceFile) return OnTraceAppend(call);
  if (!on_) return ordinal == 52534 ? Mapped("0x00000001") : 0;  // the switch opens
  // A call whose line is past the trace's last one goes unanswered by it.
  const bool traced = queued_ || std::exchange(callLineNew_, false);
  if (free_ || !traced) {
    free_ = true;
    return 0;
  }
  std::size_t at = callLine_;
  if (queued_) {
    for (at = cursor_; at < end_ && (lines_[at].kind != kw::kTraceCall || consumed_[at]); ++at) {}
    cursor_ = at + 1;
  }
  if (at >= end_) {
    free_ = true;
    return 0;
  }
  if (lines_[at].kind != kw::kTraceCall || std::atoi(lines_[at].text.c_str()) != ordinal) {
    Fail(at, "the module called " + std::to_string(ordinal));
    return 0;
  }
  NoteAddresses(call, lines_[at].text);
  if (std::optional<std::string> handed = HandedData(call)) handed_.push_back(*handed);
  return Answered(call, at);
}

uint32_t TracePlayback::Answered(HostCall& call, std::size_t callLine) {
  const uint16_t ordinal = call.info->ordinal;
  while (!free_) {
    std::size_t at = Next();
    // The host's changes the module sees only when the host calls through
    // it (the dialog's dispatcher): what it writes there as its own.
    while (at < end_ && lines_[at].kind == kw::kTraceHanded) at = ApplyData(at);
    if (at >= end_) break;
    // A call-back the host will run inside the append of the answer's line.
    const std::size_t foreign = ForeignLine(at);
    if (foreign < end_) at = foreign;
    const Line& line = lines_[at];
    if (line.kind == kw::kTraceEntry) {
      PerformEntry(at, foreign >= end_);
    } else if (line.kind == kw::kTraceCall && ordinal == 24007 && std::atoi(line.text.c_str()) == 20936) {
      CallDispatcher(at);
    } else if (line.kind == kw::kTraceAnswer && std::atoi(line.text.c_str()) == ordinal) {
      // Among a call-back's lines, the lines after it are the call-back's.
      return ApplyAnswer(call, at, foreign >= end_);
    } else {
      Fail(at, "the answer of the call on line " + std::to_string(callLine + 1) + " or a call-back inside it was expected");
    }
  }
  free_ = true;
  return 0;
}

// The host's own handler that the module handed an event on to ("{ onward"):
// the call-backs inside it, then what it changed and answered ("} onward").
int TracePlayback::CallBacks() {
  if (free_ || !on_) return 0;
  if (queued_) {
    while (cursor_ < end_ && lines_[cursor_].kind != kw::kTraceOnward) ++cursor_;
    ++cursor_;
  }
  std::size_t at = Next();
  std::size_t foreign = end_;
  while (!free_ && at < end_) {
    // A call-back the host runs inside the append of the line after it.
    foreign = ForeignLine(at);
    if (foreign < end_) at = foreign;
    if (lines_[at].kind != kw::kTraceEntry) break;
    PerformEntry(at, foreign >= end_);
    at = Next();
  }
  if (free_ || at >= end_) {
    free_ = true;
    return 0;
  }
  if (lines_[at].kind != kw::kTraceBack) {
    Fail(at, "the end of the host's handler the module handed the event on to was expected");
    return 0;
  }
  if (foreign < end_) return std::atoi(lines_[at].text.c_str() + lines_[at].text.find('=') + 1);
  std::size_t data = Skip(at + 1);
  while (data < end_ && lines_[data].kind == kw::kTraceData) data = ApplyData(data);
  if (queued_) cursor_ = data;
  return std::atoi(lines_[at].text.c_str() + lines_[at].text.find('=') + 1);
}

// `withData`: the host's data at the entry follows its line (not when the
// line stands among a call-back's lines, ForeignLine: it then follows them).
void TracePlayback::PerformEntry(std::size_t at, bool withData) {
  const std::vector<std::string> words = TraceValues(lines_[at].text, " ");
  std::string object;
  for (const std::string& word : words) {
    if (word.rfind("this=", 0) == 0) object = word.substr(5);
  }
  // A call-back the host ran inside the append of the entry's line comes
  // first: what follows it is the host's after it (OnTraceAppend).
  std::size_t next = Skip(at + 1);
  while (withData && next < end_ && lines_[next].kind == kw::kTraceData) next = ApplyData(next);
  if (IsCallBackInAppend(next)) {
    // The line of the entry's data in whose append it ran was written before.
    const std::size_t foreign = ForeignLine(next);
    if (withData && foreign < end_ && lines_[foreign].kind == kw::kTraceData) ApplyData(foreign);
    next = EntryEnd(next);
  }
  if (queued_) cursor_ = next;
  const int code = words.size() > 1 ? std::atoi(words[1].c_str()) : 0;
  const int phase = words.size() > 2 ? std::atoi(words[2].c_str()) : 0;
  CallEntry(words.empty() ? "" : words[0], code, phase, object);
  // Inside the trace's own append the module's lines wait in its queue: the
  // next line is after this entry's end.
  if (queued_) cursor_ = EntryEnd(at);
}

// Inside the trace's own append, past the module's line written among a
// call-back's (ForeignLine).
std::size_t TracePlayback::Skip(std::size_t at) const {
  while (queued_ && at < end_ && consumed_[at]) ++at;
  return at;
}

bool TracePlayback::IsCallBackInAppend(std::size_t at) const {
  return at < end_ && !inAppend_[at] && lines_[at].kind == kw::kTraceEntry &&
         lines_[at].text.find(kw::kTraceInOwnAppend) != std::string::npos;
}

// The line after the end of the entry on line `at`.
std::size_t TracePlayback::EntryEnd(std::size_t at) const {
  std::size_t end = at + 1;
  while (end < end_ && !(lines_[end].kind == kw::kTraceLeave && lines_[end].depth == lines_[at].depth)) ++end;
  return std::min(end + 1, end_);
}

uint32_t TracePlayback::CallEntry(const std::string& name, int code, int phase, const std::string& object) {
  const auto u = [](int value) { return static_cast<uint32_t>(value); };
  if (name == "ModuleInstall") {
    return static_cast<uint32_t>(
        code ? module_.Install(SimInstallation::InstallCallback(), nullptr) : module_.Install(nullptr, nullptr));
  }
  if (name == "ModuleRegister") return static_cast<uint32_t>(module_.Register(code));
  for (const HookedEntry& hooked : kHookedEntries) {
    if (name == hooked.name && hooks_.count(hooked.event)) {
      return CallModule(name, hooks_[hooked.event], Convention::Std, {u(code), u(phase)});
    }
  }
  if (name == "OnJpkTableEvent") {
    // The count the entry line shows (-1: none handed over), the list's
    // entries from the "+ L" lines.
    listGiven_ = phase >= 0;
    if (listGiven_) listCount_ = phase;
    HostTable& table = TableNumbered(kw::kJpkTable).object;
    const uint32_t count = listGiven_ ? reinterpret_cast<uint32_t>(&listCount_) : 0;
    const uint32_t numbers = listGiven_ ? reinterpret_cast<uint32_t>(&listArray_) : 0;
    return CallModule(name, reinterpret_cast<const void*>(table.EventHandler), Convention::Std,
                      {u(code), 0, count, 0, 0, reinterpret_cast<uint32_t>(&table), numbers, Mapped("0x5E1EC7ED"),
                       Mapped("0x0000F1E0"), 0, reinterpret_cast<uint32_t>(&handled_)});
  }
  if (name == "KonfiguracjaSprObcej" && command_) return CallModule(name, command_, Convention::Cdecl, {});
  const uint32_t self = object.empty() ? 0 : Mapped(object);
  const auto* const* table = self ? *reinterpret_cast<const void* const* const*>(self) : nullptr;
  if (name == "CSprKomis::OnDialogEvent" && table) return CallModule(name, table[1], Convention::This, {u(code), u(phase)}, self);
  if (name == "CSprKomis::~CSprKomis" && table) return CallModule(name, table[0], Convention::This, {u(code)}, self);
  Fail(Next(), "the playback cannot enter " + name + " here");
  return 0;
}

void TracePlayback::CallDispatcher(std::size_t at) {
  const std::string& text = lines_[at].text;
  const std::size_t comma = text.find(", ");
  const int code = std::atoi(text.c_str() + comma + 2);
  const int phase = std::atoi(text.c_str() + text.find(", ", comma + 2) + 2);
  if (!dispatcher_) return Fail(at, "the dialog's callback was never built");
  CallModule("dialog event dispatcher", dispatcher_, Convention::This,
                      {static_cast<uint32_t>(code), static_cast<uint32_t>(phase)}, dispatcherObject_);
}

// The module's own side of the host's objects: the addresses it handed over
// (the working object's, say), the handlers it registers, the command, the
// dialog's callback thunk.
void TracePlayback::NoteAddresses(const HostCall& call, const std::string& callText) {
  const std::vector<std::string> arguments = CallArguments(callText);
  for (std::size_t i = 0; i < arguments.size() && i < call.args.size(); ++i) {
    if (arguments[i].rfind("0x", 0) == 0 && call.args[i]) addresses_[arguments[i].substr(0, 10)] = call.args[i];
  }
  switch (call.info->ordinal) {
    case 52020: hooks_[call.Int(0)] = call.Ptr<const void>(1); break;
    case 52081: command_ = SimCommands::HandlerOf(call.Ptr<const void>(0)); break;
    case 20972:
      *call.Ptr<const void* const*>(0) = kThunkTable;
      dispatcher_ = call.Ptr<const void>(2);
      dispatcherObject_ = call.Arg(1);
      break;
  }
}

}  // namespace hostsim
