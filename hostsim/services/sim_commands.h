// The host's menu commands and document events: commands registered by a
// module and picked by the user, and per event a chain of handlers, the host's
// own first, each module's hook in front of the one it replaced.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host.h"

namespace hostsim {

struct RegisteredCommand {
  std::string record;    // the 24 bytes the module handed over
  std::string menuText;  // Mazovia
  uint16_t id;
  const void* handler;
};

struct HostEventCall {
  int event;
  int code;
  int phase;
};

class SimCommands : public HostComponent {
 public:
  explicit SimCommands(Host& host);
  ~SimCommands() override;

  const std::vector<RegisteredCommand>& Commands() const { return commands_; }
  // The handler a command record (HostRegisterCommand) names.
  static const void* HandlerOf(const void* record);

  // The user picks the command: its handler runs, checked like every call into the module.
  int Pick(uint16_t id);

  // The host has a handler of its own for these document events (815 and 1664 unless told otherwise).
  void WithoutOwnHandler(int event) { ownHandlers_.erase(event); }
  // Raises a document event through the handler that is in front now.
  int Raise(int event, int code, int phase);
  // What the host's own handlers received, and what they answer.
  static const std::vector<HostEventCall>& OwnHandlerCalls();
  static void SetOwnHandlerAnswer(int answer);
  // The host's own handler of event 815 does this when a document dialog
  // closes (phase 2), before it answers: a host's "save and new" opens the
  // next document dialog right there. Nothing by default.
  static void AtOwnClose(std::function<void()> action);
  // The host's own handlers of every document event do this, once, before
  // they answer (after the closing action above): the host's event loop runs
  // inside its own handlers too. Null takes it back.
  static void AtOwnHandler(std::function<void(const HostEventCall&)> action);
  // That action: the next document dialog opens (event 815, code 0x4151,
  // phase -2, raised through the handler in front).
  void OpenNextDialogAtClose(bool open);
  // The handlers in front of the host's own for an event, innermost first.
  std::vector<const void*> Hooks(int event) const;

 private:
  struct Hook {
    const void* handler;
    const void** previousCell;  // handed to the module: holds the handler it replaced
  };

  // The handlers of the host functions, in the order they are registered.
  uint32_t RegisterCommand(HostCall& call);
  uint32_t UnregisterCommand(HostCall& call);
  uint32_t RegisterEventHook(HostCall& call);
  uint32_t UnregisterEventHook(HostCall& call);

  Host& host_;
  std::vector<RegisteredCommand> commands_;
  std::map<int, const void*> ownHandlers_;
  std::map<int, std::vector<Hook>> hooks_;
};

}  // namespace hostsim
