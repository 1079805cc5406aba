#include "sim_commands.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "call_checked.h"
#include "guarded_memory.h"
#include "host_dialog_codes.h"
#include "host_time.h"

namespace hostsim {

namespace {

std::vector<HostEventCall> ownCalls;
int ownAnswer = 0;
std::function<void()> ownCloseAction;
std::function<void(const HostEventCall&)> ownAction;

constexpr int kDialogEvent = 815;

template <int Event>
int __stdcall OwnHandler(int code, int phase) {
  const HostTimeScope inHost(true);
  ownCalls.push_back({Event, code, phase});
  if (Event == kDialogEvent && static_cast<int16_t>(phase) == kw::kPhaseClose && ownCloseAction) {
    const std::function<void()> action = ownCloseAction;  // the action may set another
    action();
  }
  if (ownAction) std::exchange(ownAction, nullptr)({Event, code, phase});
  return ownAnswer;
}

constexpr int kCommandRecordSize = 24;

}  // namespace

const std::vector<HostEventCall>& SimCommands::OwnHandlerCalls() { return ownCalls; }
void SimCommands::SetOwnHandlerAnswer(int answer) { ownAnswer = answer; }
void SimCommands::AtOwnClose(std::function<void()> action) { ownCloseAction = std::move(action); }
void SimCommands::AtOwnHandler(std::function<void(const HostEventCall&)> action) { ownAction = std::move(action); }

void SimCommands::OpenNextDialogAtClose(bool open) {
  AtOwnClose(open ? std::function<void()>([this] { Raise(kDialogEvent, kw::kDocumentDialogOpen, kw::kPhaseOpen); }) : nullptr);
}

SimCommands::SimCommands(Host& host) : host_(host) {
  ownCalls.clear();
  ownAnswer = 0;
  ownCloseAction = nullptr;
  ownAction = nullptr;
  ownHandlers_[815] = reinterpret_cast<const void*>(&OwnHandler<815>);
  ownHandlers_[1664] = reinterpret_cast<const void*>(&OwnHandler<1664>);

  host.On("HostRegisterCommand", [this](HostCall& call) { return RegisterCommand(call); });
  host.On("HostUnregisterCommand", [this](HostCall& call) { return UnregisterCommand(call); });
  host.On("HostRegisterEventHook", [this](HostCall& call) { return RegisterEventHook(call); });
  host.On("HostUnregisterEventHook", [this](HostCall& call) { return UnregisterEventHook(call); });
}

// HostRegisterCommand(record): the menu text, id and handler from the 24-byte record; 0.
uint32_t SimCommands::RegisterCommand(HostCall& call) {
  const auto* record = call.Ptr<const unsigned char>(0);
  RegisteredCommand command;
  command.record.assign(reinterpret_cast<const char*>(record), kCommandRecordSize);
  const char* menuText;
  std::memcpy(&menuText, record + 4, sizeof menuText);
  command.menuText = menuText ? menuText : "";
  std::memcpy(&command.id, record + 8, sizeof command.id);
  command.handler = HandlerOf(record);
  commands_.push_back(command);
  return 0;
}

const void* SimCommands::HandlerOf(const void* record) {
  const void* handler;
  std::memcpy(&handler, static_cast<const unsigned char*>(record) + 12, sizeof handler);
  return handler;
}

// HostUnregisterCommand(id): 0 when a command with that id was removed, else 1.
uint32_t SimCommands::UnregisterCommand(HostCall& call) {
  const auto before = commands_.size();
  std::erase_if(commands_, [&](const RegisteredCommand& c) { return c.id == call.Arg(0); });
  return commands_.size() < before ? 0 : 1;
}

// HostRegisterEventHook(event, handler): the cell holding the handler it replaces, or null.
uint32_t SimCommands::RegisterEventHook(HostCall& call) {
  const int event = call.Int(0);
  std::vector<Hook>& chain = hooks_[event];
  const void* previous = chain.empty() ? (ownHandlers_.count(event) ? ownHandlers_[event] : nullptr)
                                       : chain.back().handler;
  const void** cell = nullptr;
  if (previous) {
    cell = NewGuarded<const void*>();
    *cell = previous;
  }
  chain.push_back({call.Ptr<const void>(1), cell});
  return reinterpret_cast<uint32_t>(cell);
}

// HostUnregisterEventHook(event): the hook in front goes, with its cell; 1
// and a fault when the event has none.
uint32_t SimCommands::UnregisterEventHook(HostCall& call) {
  std::vector<Hook>& chain = hooks_[call.Int(0)];
  if (chain.empty()) {
    host_.ReportFault("HostUnregisterEventHook of an event without a hook");
    return 1;
  }
  ReleaseGuarded(chain.back().previousCell);
  chain.pop_back();
  return 0;
}

SimCommands::~SimCommands() {
  ownCloseAction = nullptr;
  ownAction = nullptr;
  for (auto& [event, chain] : hooks_) {
    for (Hook& hook : chain) ReleaseGuarded(hook.previousCell);
  }
}

int SimCommands::Pick(uint16_t id) {
  for (const RegisteredCommand& command : commands_) {
    if (command.id == id) {
      return static_cast<int>(CallModule("command handler", command.handler, Convention::Cdecl, {}));
    }
  }
  host_.ReportFault("the user picked a command nobody registered: " + std::to_string(id));
  return 0;
}

int SimCommands::Raise(int event, int code, int phase) {
  const std::vector<Hook>& chain = hooks_[event];
  const void* handler = !chain.empty() ? chain.back().handler
                                       : (ownHandlers_.count(event) ? ownHandlers_[event] : nullptr);
  if (!handler) return 0;
  return static_cast<int>(CallModule("handler of event " + std::to_string(event), handler, Convention::Std,
                                     {static_cast<uint32_t>(code), static_cast<uint32_t>(phase)}));
}

std::vector<const void*> SimCommands::Hooks(int event) const {
  std::vector<const void*> handlers;
  auto found = hooks_.find(event);
  if (found != hooks_.end()) {
    for (const Hook& hook : found->second) handlers.push_back(hook.handler);
  }
  return handlers;
}

}  // namespace hostsim
