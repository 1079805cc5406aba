#include "sim_config_dialog.h"

#include <cstring>
#include <utility>

#include "call_checked.h"

namespace hostsim {

namespace {

// The host's callback thunk, inside the 32 bytes the module owns.
struct Thunk {
  const void* const* vtable;
  const void* object;
  const void* dispatcher;
  uint32_t callableMark;
};
constexpr uint32_t kCallableMark = 0xCA11AB1E;

void* __attribute__((thiscall)) ThunkCallable(Thunk* thunk) { return &thunk->callableMark; }
const void* const kThunkTable[2] = {nullptr, reinterpret_cast<const void*>(&ThunkCallable)};

constexpr int kWarehouses = 101;

}  // namespace

SimConfigDialog::SimConfigDialog(Host& host) : host_(host) {
  host.On("HostGetModeFlags", [this](HostCall& call) { return GetModeFlags(call); });
  host.On("HostSetModeFlags", [this](HostCall& call) { return SetModeFlags(call); });
  host.On("HostCheckAccess", [this](HostCall& call) { return CheckAccess(call); });
  host.On("HostConstructCallbackThunk", [this](HostCall& call) { return ConstructCallbackThunk(call); });
  host.On("HostDestroyCallbackThunk", [this](HostCall& call) { return DestroyCallbackThunk(call); });
  host.On("HostRunDialog", [this](HostCall& call) { return RunDialog(call); });
  host.On("HostDispatchDialogEvent", [this](HostCall& call) { return DispatchDialogEvent(call); });
  host.On("HostEditWarehouseFlags", [this](HostCall& call) { return EditWarehouseFlags(call); });
}

uint32_t SimConfigDialog::GetModeFlags(HostCall&) {
  return modeWord_;
}

uint32_t SimConfigDialog::SetModeFlags(HostCall& call) {
  if (call.Int(1)) modeWord_ |= static_cast<uint16_t>(call.Arg(0));
  else modeWord_ &= static_cast<uint16_t>(~call.Arg(0));
  return 0;
}

uint32_t SimConfigDialog::CheckAccess(HostCall&) {
  if (access_.empty()) return 1;
  const int answer = access_.front();
  access_.pop_front();
  return static_cast<uint32_t>(answer);
}

// HostConstructCallbackThunk on the thunk (ECX): the object and the dispatcher.
uint32_t SimConfigDialog::ConstructCallbackThunk(HostCall& call) {
  auto* thunk = call.Ptr<Thunk>(0);
  *thunk = {kThunkTable, call.Ptr<const void>(1), call.Ptr<const void>(2), kCallableMark};
  thunks_.insert(thunk);
  return call.Arg(0);
}

uint32_t SimConfigDialog::DestroyCallbackThunk(HostCall& call) {
  if (!thunks_.erase(call.Ptr<Thunk>(0))) host_.ReportFault("HostDestroyCallbackThunk on a thunk never built");
  return 0;
}

namespace {

// The thunk whose callable the host was handed, or null.
const Thunk* ThunkOfCallable(const std::set<const void*>& thunks, const void* callable) {
  for (const void* t : thunks) {
    if (&static_cast<const Thunk*>(t)->callableMark == callable) return static_cast<const Thunk*>(t);
  }
  return nullptr;
}

// A run of the dialog as it opens: its description (as long as its header
// says) and the flags it is shown with.
DialogRun OpenedRun(const unsigned char* description, int dialogNumber, const int16_t* flags) {
  uint32_t size;
  std::memcpy(&size, description, sizeof size);
  DialogRun run{std::string(reinterpret_cast<const char*>(description), size + 4), dialogNumber, {}, {}, 0, {}};
  run.flagsBefore.assign(flags, flags + kWarehouses);
  return run;
}

// An event of the dialog through the thunk's dispatcher; the module's answer
// is noted in the run.
int Deliver(const Thunk& thunk, DialogRun& run, int code, int phase) {
  run.eventAnswers.push_back(static_cast<int>(
      CallModule("dialog event dispatcher", thunk.dispatcher, Convention::This,
                 {static_cast<uint32_t>(code), static_cast<uint32_t>(phase)}, reinterpret_cast<uint32_t>(thunk.object))));
  return run.eventAnswers.back();
}

}  // namespace

// HostRunDialog(dialog, description, number, data, callable): opens, plays the
// user's steps, closes; the end code is the answer.
uint32_t SimConfigDialog::RunDialog(HostCall& call) {
  const Thunk* thunk = ThunkOfCallable(thunks_, call.Ptr<const void>(4));
  if (!thunk || thunk->object != call.Ptr<const void>(0)) {
    host_.ReportFault("HostRunDialog without the callable of a thunk built on the dialog object");
    return 0;
  }
  const auto* flags = call.Ptr<const int16_t>(3);
  DialogRun run = OpenedRun(call.Ptr<const unsigned char>(1), call.Int(2), flags);
  const Deliverer deliver = [&](int code, int phase) { return Deliver(*thunk, run, code, phase); };
  if (user_) user_->Opened(run.description);
  run.endCode = Play(deliver);
  Close(call.Ptr<const void>(0), run, flags, deliver);
  return run.endCode;
}

uint16_t SimConfigDialog::Play(const Deliverer& deliver) {
  // The script of this dialog as it was when it opened: the module's events
  // may run another command with a script of its own.
  const uint16_t endCode = endCode_;
  const std::vector<DialogStep> steps = steps_;
  deliver(0, kw::kPhaseOpen);
  if (whileOpen_) std::exchange(whileOpen_, nullptr)();
  if (user_) return user_->Act(deliver);
  for (const DialogStep& step : steps) deliver(step.code, step.phase);
  return endCode;
}

void SimConfigDialog::Close(const void* object, DialogRun& run, const int16_t* flags, const Deliverer& deliver) {
  closing_.push_back({object, &run, flags, false, 0});
  deliver(run.endCode, kw::kPhaseClose);
  Closing closing = closing_.back();
  closing_.pop_back();
  if (closing.ended) runs_[closing.index].eventAnswers = run.eventAnswers;  // with the closing event's answer
  else EndRun(closing);
}

void SimConfigDialog::EndRun(Closing& closing) {
  closing.ended = true;
  closing.run->flagsAtEnd.assign(closing.flags, closing.flags + kWarehouses);
  runs_.push_back(*closing.run);
  closing.index = runs_.size() - 1;
  if (atEnd_) atEnd_(runs_.back());
}

// HostDispatchDialogEvent on the object: hands the event to its handler,
// the second entry of its table of virtual operations.
uint32_t SimConfigDialog::DispatchDialogEvent(HostCall& call) {
  const auto* object = call.Ptr<const void* const*>(0);
  if (static_cast<int16_t>(call.Arg(2)) == 2) {
    for (auto it = closing_.rbegin(); it != closing_.rend(); ++it) {
      if (it->object == object && !it->ended) {
        EndRun(*it);
        break;
      }
    }
  }
  return CallModule("OnDialogEvent", (*object)[1], Convention::This, {call.Arg(1), call.Arg(2)}, call.Arg(0));
}

// HostEditWarehouseFlags(0x430E, 0, flags, k, 0, 0, 0, 0): the user marks warehouses.
uint32_t SimConfigDialog::EditWarehouseFlags(HostCall& call) {
  listOpenings_.push_back(call.Int(3));
  auto* flags = call.Ptr<int16_t>(2);
  if (user_) {
    user_->EditWarehouses(flags, kWarehouses);
  } else if (!listEdits_.empty()) {
    for (const auto& [warehouse, value] : listEdits_.front()) flags[warehouse] = value;
    listEdits_.pop_front();
  }
  return 0;
}

}  // namespace hostsim
