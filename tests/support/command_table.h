// The module's menu commands as its table lists them (config/module_commands.inc):
// the tests pick a command by its id (kConfigCommandId, ...) and find it in the
// host's menu by its text.
#pragma once

#include <cstdint>

namespace kwtest {

struct ModuleCommand {
  uint16_t id;
  const char* menuText;  // UTF-8
};

inline constexpr ModuleCommand kModuleCommands[] = {
#define MODULE_COMMAND(name, id, hostCode, menuText, handler) {id, menuText},
#include "module_commands.inc"
#undef MODULE_COMMAND
};

#define MODULE_COMMAND(name, id, hostCode, menuText, handler) inline constexpr uint16_t k##name##CommandId = id;
#include "module_commands.inc"
#undef MODULE_COMMAND

}  // namespace kwtest
