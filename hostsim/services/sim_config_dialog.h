// The host's side of the configuration dialog: the mode word and access check
// around the command, the callback thunk, the dialog runner that delivers the
// dialog's events to the module's object, and the warehouse list in which the
// simulated user marks warehouses.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host.h"
#include "host_dialog_codes.h"

namespace hostsim {

struct DialogStep {
  int code;
  int phase;
};

struct DialogRun {
  std::string description;  // the bytes of the dialog description, as long as its header says
  int dialogNumber;
  std::vector<int16_t> flagsBefore;
  std::vector<int> eventAnswers;  // what the module's handler answered, step by step
  uint16_t endCode = 0;
  std::vector<int16_t> flagsAtEnd;  // the flags shown when the dialog ended: what an OK confirms
};

// A person in the dialog instead of the script.
class DialogUser {
 public:
  virtual ~DialogUser() = default;
  // The dialog opens with this description, before its opening event.
  virtual void Opened(const std::string& description) = 0;
  // The person acts, each event handed to the module through deliver (code,
  // phase; the handler's answer comes back), until the dialog ends: its end code.
  virtual uint16_t Act(const std::function<int(int code, int phase)>& deliver) = 0;
  // The warehouse list: the person marks and unmarks the flags in place.
  virtual void EditWarehouses(int16_t* flags, int count) = 0;
};

class SimConfigDialog : public HostComponent {
 public:
  explicit SimConfigDialog(Host& host);

  uint16_t& ModeWord() { return modeWord_; }
  // HostCheckAccess answers these, then 1.
  void AnswerAccess(std::initializer_list<int> answers) { access_.insert(access_.end(), answers); }

  // What the user does in the next dialog after it opened: events delivered
  // with their phases, then the dialog ends with endCode.
  void Script(std::vector<DialogStep> steps, uint16_t endCode) {
    steps_ = std::move(steps);
    endCode_ = endCode;
  }
  // What the host does while the next dialog is open, right after it opened
  // (events of other dialogs, for one).
  void WhileOpen(std::function<void()> action) { whileOpen_ = std::move(action); }
  // The warehouses the user marks (value) or unmarks (0) the next time the list opens.
  void MarkInList(std::map<int, int16_t> changes) { listEdits_.push_back(std::move(changes)); }
  // Done when a dialog has ended, before the module gets its end code back:
  // as its closing event reaches the dialog object (the first moment the
  // module can know of the end), or, when none does, after it was delivered.
  void AtEnd(std::function<void(const DialogRun&)> action) { atEnd_ = std::move(action); }
  // Dialogs and lists run by a person (null: by the script again).
  void Interactive(DialogUser* user) { user_ = user; }

  const std::vector<DialogRun>& Runs() const { return runs_; }
  // The fourth argument of each opening of the warehouse list.
  const std::vector<int>& ListOpenings() const { return listOpenings_; }
  int LiveThunks() const { return static_cast<int>(thunks_.size()); }

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t GetModeFlags(HostCall& call);
  uint32_t SetModeFlags(HostCall& call);
  uint32_t CheckAccess(HostCall& call);
  uint32_t ConstructCallbackThunk(HostCall& call);
  uint32_t DestroyCallbackThunk(HostCall& call);
  uint32_t RunDialog(HostCall& call);
  uint32_t DispatchDialogEvent(HostCall& call);
  uint32_t EditWarehouseFlags(HostCall& call);

  // Hands an event (code, phase) of the open dialog to the module: its answer.
  using Deliverer = std::function<int(int code, int phase)>;
  // The dialog's opening event, what the host does while it is open, and the
  // user's steps or the script: the end code.
  uint16_t Play(const Deliverer& deliver);
  // The closing event with the end code; the run joins Runs() as the event
  // reaches the dialog object, or else once it was delivered.
  void Close(const void* object, DialogRun& run, const int16_t* flags, const Deliverer& deliver);

  // A dialog whose closing event is being delivered.
  struct Closing {
    const void* object;
    DialogRun* run;
    const int16_t* flags;
    bool ended;
    std::size_t index;  // in Runs(), once ended
  };
  // The run has ended: its end code and flags are noted and it joins Runs().
  void EndRun(Closing& closing);

  Host& host_;
  uint16_t modeWord_ = 0;
  std::deque<int> access_;
  std::vector<DialogStep> steps_;
  uint16_t endCode_ = kw::kDialogCancel;
  std::function<void()> whileOpen_;
  std::function<void(const DialogRun&)> atEnd_;
  std::deque<std::map<int, int16_t>> listEdits_;
  std::vector<DialogRun> runs_;
  std::vector<Closing> closing_;  // innermost last
  std::vector<int> listOpenings_;
  std::set<const void*> thunks_;
  DialogUser* user_ = nullptr;
};

}  // namespace hostsim
