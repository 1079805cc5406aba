// A relay trace (Kalwestrowka-slad.txt) played back, so that a shop's trace
// becomes a reproducible case: the simulated host loads the DLL as built,
// performs the entries the trace shows in its order with its arguments
// (building the tables, records, item lines and the register's list from the
// trace's "+" lines), and answers each host call the module makes with the
// answer the trace shows, writing the texts, counts and bytes the trace shows
// into the module's buffers; the call-backs the trace shows inside a host call,
// inside the host's previous handler or inside the trace's own append are
// performed there.
//
// Every line the module writes into its trace while it is played back is held
// to the trace's line at the same place (time stamps and addresses aside): a
// module that makes another call, with other arguments, hands over other
// record fields or decides otherwise fails the playback at that line. Only
// the trace is read: nothing of the walk that wrote it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host.h"
#include "host_records.h"
#include "plugin_module.h"

namespace hostsim {

// What a host call hands the host of the shop's data: a document stored or
// given a contractor (its module fields), a register entry deleted, a line of
// the journal or the module's log, komis.cfg's bytes written; nothing for
// other calls.
std::optional<std::string> HandedData(const HostCall& call);

// The host's own handler of a document event, that the module hands the event
// on to: it performs the call-backs the trace shows inside it (as the table
// handler of the register does).
int __stdcall PreviousHookOfHost(int code, int phase);

// The values of a trace line separated by `separator` outside quotes, and the
// arguments of a call line.
std::vector<std::string> TraceValues(const std::string& text, const std::string& separator);
std::vector<std::string> CallArguments(const std::string& text);

class TracePlayback {
 public:
  // The trace's lines as the host appended them, in Windows-1250.
  explicit TracePlayback(std::vector<std::string> recorded);
  ~TracePlayback();
  TracePlayback(const TracePlayback&) = delete;
  TracePlayback& operator=(const TracePlayback&) = delete;

  // Plays the trace on the host as it is (reset by the caller); answers the
  // first difference ("trace line N: ...") or nothing.
  std::optional<std::string> Run();
  // What the module handed the host while it was played (HandedData).
  const std::vector<std::string>& Handed() const { return handed_; }
  // The lines played: all, or up to the line where the trace stopped or went off.
  std::size_t Played() const { return end_; }

  // The entries and answers (trace_playback.cpp).
  uint32_t OnHostCall(HostCall& call);
  int CallBacks();

 private:
  struct Line {
    int depth = 0;
    char kind = 0;
    std::string text;
  };
  struct Table {
    HostTable object{};
    std::vector<uint8_t> buffer;
  };

  void Load(const std::vector<std::string>& recorded);
  void InstallHandlers();
  std::size_t Next() const { return queued_ ? Skip(cursor_) : written_; }
  uint32_t OnTraceAppend(const HostCall& call);
  uint32_t Answered(HostCall& call, std::size_t callLine);
  void PerformEntry(std::size_t at, bool withData = true);
  std::size_t EntryEnd(std::size_t at) const;
  bool IsCallBackInAppend(std::size_t at) const;
  std::size_t Skip(std::size_t at) const;
  std::size_t ForeignLine(std::size_t at) const;
  uint32_t CallEntry(const std::string& name, int code, int phase, const std::string& object);
  void CallDispatcher(std::size_t at);
  void Fail(std::size_t at, const std::string& what);

  // The host's data (trace_playback_data.cpp).
  uint32_t ApplyAnswer(HostCall& call, std::size_t at, bool withData);
  std::size_t ApplyData(std::size_t at);
  void ApplyRecord(const std::string& text);
  void ApplyList(const std::string& text);
  void ApplyItems(const std::string& text);
  uint32_t AnswerValue(const HostCall& call, const std::string& value);
  Table& TableNumbered(int number);
  uint32_t Mapped(const std::string& recordedAddress);
  void NoteAddresses(const HostCall& call, const std::string& callText);

  std::vector<Line> lines_;
  std::vector<std::string> normalized_;  // time stamps and addresses out
  std::size_t end_ = 0;                   // the lines that can be played
  std::size_t written_ = 0;               // the lines the module has appended
  std::size_t cursor_ = 0;                // inside the trace's own append: the next line
  std::size_t callLine_ = 0;              // the module's last call line appended
  bool callLineNew_ = false;              // and no host call has taken it yet
  std::vector<bool> inAppend_;            // the lines of entries performed inside the trace's own append
  std::vector<bool> consumed_;            // the lines the module has written
  int queued_ = 0;                        // entries performed inside the trace's own append
  bool on_ = false;                       // the module wrote "slad wlaczony"
  bool free_ = false;                     // past the end or the first failure: answers 0
  std::optional<std::string> failure_;
  std::vector<std::string> handed_;
  PluginModule module_;

  // The host's side as the trace builds it.
  std::map<int, Table> tables_;
  std::map<std::string, uint32_t> addresses_;   // a recorded address, what it is now
  std::deque<std::vector<uint8_t>> objects_;     // the host's objects handed out (files, selections)
  std::map<int, const void*> hooks_;             // event, the module's handler
  const void* command_ = nullptr;                // the module's command handler
  const void* dispatcher_ = nullptr;             // of the dialog's callback thunk
  uint32_t dispatcherObject_ = 0;
  std::map<int, void*> previousCells_;           // event, the host's cell of its previous handler
  int listCount_ = 0;
  bool listGiven_ = false;
  std::string listAddress_;
  std::deque<std::vector<int>> lists_;           // every array of the register's list handed out
  int* listArray_ = nullptr;
  int itemCount_ = 0;
  std::deque<std::vector<uint8_t>> itemLines_;
  std::vector<uint8_t*> itemPointers_;
  uint8_t** itemArray_ = nullptr;
  kw::OperationContext context_{};
  uint16_t signalWord_ = 0, stateWord_ = 0;
  uint32_t stateLong_ = 0;
  int16_t handled_ = 0;
  uint8_t* answeredBuffer_ = nullptr;  // the buffer the last answered call had the host fill ("+ B")
};

}  // namespace hostsim
