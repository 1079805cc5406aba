// The simulated host program: it receives every call of a TALMER entry, keeps
// a log of them (the call log), answers through handlers that its components install and
// tests replace, and collects the faults it sees in the module's behaviour.
// It knows none of its services: whoever assembles a host installs them.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host_rows.h"
#include "sim_bridge.h"

namespace hostsim {

// A call being answered.
struct HostCall {
  int row;
  const HostRow* info;
  SimRegisters registers;
  const uint32_t* stack;       // the caller's stack arguments, valid during the call
  std::vector<uint32_t> args;  // the fixed arguments; of a __thiscall function ECX first
  // The host's event loop ran (Interrupt before the work) after the module
  // made the call: what its arguments named may have changed meanwhile.
  bool afterEventLoop = false;

  uint32_t Arg(int i) const { return args.at(i); }
  int32_t Int(int i) const { return static_cast<int32_t>(args.at(i)); }
  template <typename T>
  T* Ptr(int i) const { return reinterpret_cast<T*>(static_cast<uintptr_t>(args.at(i))); }
  std::string Text(int i) const;  // the Mazovia text an argument points to
  // The variable arguments after the fixed ones (__cdecl functions with "...").
  va_list VarArgs() const;
};

struct CallRecord {
  int row;
  uint16_t ordinal;
  std::string name;
  std::vector<uint32_t> args;
  std::vector<std::string> texts;  // per argument: its Mazovia text when it is one
  uint32_t result = 0;

  std::string Text(int i) const { return texts.at(i); }
  // Name(1, "Uwaga", 0x0040A000) = 0, texts in UTF-8.
  std::string Describe() const;
};

using Handler = std::function<uint32_t(HostCall&)>;

class HostComponent {
 public:
  virtual ~HostComponent() = default;
};

class Host {
 public:
  static Host& Get();

  // Forgets the call log, the faults, every component and every handler: each
  // entry then records its call and answers 0, until whoever assembles the
  // host installs its services again (services/host_defaults.h).
  void Reset();

  void On(std::string_view function, Handler handler);
  void On(uint16_t ordinal, Handler handler);
  // Leaves the host library without this entry, as an older host would be.
  void Omit(uint16_t ordinal);
  // True when the host library was left without this function: what the
  // host checks about its use has then nothing to go by.
  bool Lacks(std::string_view function) const;

  const std::vector<CallRecord>& Calls() const { return callLog_; }
  std::vector<CallRecord> CallsTo(std::string_view function) const;
  int CountCalls(std::string_view function) const { return static_cast<int>(CallsTo(function).size()); }
  std::vector<std::string> Trace() const;  // the call log described
  void ClearCalls() { callLog_.clear(); }
  // Without a call log (long benchmark runs) the host answers without noting the calls.
  void KeepCalls(bool keep) { keepCalls_ = keep; }

  // The host runs its own event loop inside its functions: the n-th call of
  // a host function from now (1: the next one) does its work, then `action`
  // (raise an event of the module, run a command), then answers; with
  // `beforeWork` the action runs first and the call's work after it. Once;
  // Interrupt(0, {}) takes it back.
  void Interrupt(int nth, std::function<void()> action, bool beforeWork = false);
  // The same at the first call from now that `which` picks.
  void InterruptAt(std::function<bool(const HostCall&)> which, std::function<void()> action, bool beforeWork = false);
  bool Interrupted() const { return !interrupt_; }  // the action has run or none is set

  // Sees every call as the module made it, before the host's event loop and
  // its work (the playback's comparison of what the module handed over).
  void Observe(std::function<void(const HostCall&)> observer) { observer_ = std::move(observer); }

  void ReportFault(std::string what) { faults_.push_back(std::move(what)); }
  const std::vector<std::string>& Faults() const { return faults_; }

  // The component of a type, created on first use and kept until Reset.
  template <typename Component>
  Component& Use() {
    for (auto& c : components_) {
      if (auto* found = dynamic_cast<Component*>(c.get())) return *found;
    }
    auto created = std::make_unique<Component>(*this);
    Component& ref = *created;
    components_.push_back(std::move(created));
    return ref;
  }

  uint32_t Answer(int row, const SimRegisters& registers, const uint32_t* stack);

 private:
  Host();
  // The call in the call log, with its texts as they are before the host's work.
  void RecordCall(const HostCall& call);
  // Runs the action of Interrupt when this moment of the call, before the
  // host's work or after it, is the one set and the call is the one picked.
  bool RunInterruptAt(bool beforeWork, bool picked);

  std::vector<Handler> handlers_;
  std::vector<uint16_t> omitted_;
  std::vector<CallRecord> callLog_;
  bool keepCalls_ = true;
  int calls_ = 0;
  int interruptAt_ = 0;
  bool interruptBeforeWork_ = false;
  std::function<void()> interrupt_;
  std::function<void(const HostCall&)> observer_;
  std::function<bool(const HostCall&)> interruptWhich_;  // instead of the n-th call
  std::vector<std::string> faults_;
  std::vector<std::unique_ptr<HostComponent>> components_;
};

}  // namespace hostsim
