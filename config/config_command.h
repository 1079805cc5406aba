// The dialog "Konfiguracja" of the menu command "Konfiguracja spr.obcej"
// (its record and handler: module_commands.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kw {

#pragma pack(push, 1)

// Header of a host dialog description.
struct DialogHeader {
  uint32_t bytesAfterSize;    // 0: total size minus 4
  uint16_t bytesAfterNumber;  // 4: total size minus 8
  uint16_t itemCount;         // 6
  uint16_t minusOne;          // 8: 0xFFFF
  uint16_t dialogNumber;      // 10: also passed to HostRunDialog
  uint32_t zero12;
  uint32_t zero16;
  uint16_t width;             // 20: columns
  uint16_t height;            // 22: rows
  uint32_t zero24;
  char title[13];             // 28: "Konfiguracja"
};
static_assert(offsetof(DialogHeader, dialogNumber) == 10);
static_assert(offsetof(DialogHeader, width) == 20);
static_assert(offsetof(DialogHeader, title) == 28);
static_assert(sizeof(DialogHeader) == 41);

// One item of a dialog description; its zero-terminated text follows.
struct DialogItem {
  uint16_t kind;
  uint16_t id;
  uint16_t flags;
  uint16_t keyCode;           // a character, or a function key's scan code times 256
  uint16_t column;            // inside the box, from its top-left corner
  uint16_t row;
  uint16_t width;
  uint16_t height;
  uint32_t zero;
};
static_assert(sizeof(DialogItem) == 20);

// The configuration dialog: a hint line, the warehouse list bound to F2, OK and cancel.
struct ConfigDialogDescription {
  DialogHeader header;
  DialogItem hint;            // 41
  char hintText[51];          // 0x05 "F2" 0x01 " Ustal MAGAZYNY z towarami dla sprzedaży obcej"
  DialogItem warehouseList;   // 112: WarehouseListItem
  char warehouseListText[2];  // " "
  DialogItem ok;              // 134
  char okText[9];             // 0x05 "F12" 0x01 " OK"
  DialogItem cancel;          // 163
  char cancelText[13];        // 0x05 "Esc" 0x01 " Anuluj"
};
static_assert(offsetof(ConfigDialogDescription, hint) == 41);
static_assert(offsetof(ConfigDialogDescription, warehouseList) == 112);
static_assert(offsetof(ConfigDialogDescription, ok) == 134);
static_assert(offsetof(ConfigDialogDescription, cancel) == 163);
static_assert(sizeof(ConfigDialogDescription) == 196);

#pragma pack(pop)

inline constexpr uint16_t kConfigDialogNumber = 0x4E43;  // 20035

extern const ConfigDialogDescription ConfigDialogTemplate;

}  // namespace kw
