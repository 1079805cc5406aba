// The module's menu commands (module_commands.inc) as the host reads them: one
// record each, handed over with HostRegisterCommand in the table's order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kw {

using CommandHandler = int();

#pragma pack(push, 1)

// A menu command as the host reads it from HostRegisterCommand.
struct HostCommand {
  uint16_t zero0;
  uint16_t hostCode;          // 2: kept by the host with the command
  const char* menuText;       // 4: Mazovia
  uint16_t commandId;         // 8: the command is unregistered by it
  uint16_t zero10;
  CommandHandler* handler;    // 12: called when the user picks the command
  uint8_t zero16[8];
};
static_assert(offsetof(HostCommand, hostCode) == 2);
static_assert(offsetof(HostCommand, menuText) == 4);
static_assert(offsetof(HostCommand, commandId) == 8);
static_assert(offsetof(HostCommand, handler) == 12);
static_assert(sizeof(HostCommand) == 24);

#pragma pack(pop)

// Each command's index in ModuleCommands (kConfigCommand, ...), and their count.
enum ModuleCommandIndex : int {
#define MODULE_COMMAND(name, id, hostCode, menuText, handler) k##name##Command,
#include "module_commands.inc"
#undef MODULE_COMMAND
  kModuleCommandCount
};

// The records, in the table's order (config_command.cpp).
extern const HostCommand ModuleCommands[kModuleCommandCount];

// The commands' handlers: always 0.
#define MODULE_COMMAND(name, id, hostCode, menuText, handler) int handler();
#include "module_commands.inc"
#undef MODULE_COMMAND

}  // namespace kw
