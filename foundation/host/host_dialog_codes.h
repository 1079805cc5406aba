// The host's dialog codes, phases and item flags, as its dialogs, its document
// event 815 and its acceptance event 1664 hand them over and as a dialog
// description carries them; the simulated host raises and reads the same.
// Codes and phases are 16-bit values in 32-bit arguments.
#pragma once

#include <cstdint>

namespace kw {

// Phases of a dialog event.
inline constexpr int16_t kPhaseOpen = -2;   // the dialog opens
inline constexpr int16_t kPhaseClose = 2;   // the dialog ends

// Codes of the host's dialogs.
inline constexpr uint16_t kDialogOk = 0x5001;         // 20481: OK (F12)
inline constexpr uint16_t kDialogCancel = 0x5002;     // 20482: cancel (Esc)
inline constexpr uint16_t kDialogAccept = 0x4009;     // 16393: the document accepted
inline constexpr uint16_t kDocumentDialogOpen = 0x4151;  // 16721: a document dialog opens
inline constexpr uint16_t kDocumentDialogF3 = 0x3D00;    // 15616: F3 in a document dialog

// The configuration dialog's warehouse list: the item, and F2 on it again.
inline constexpr uint16_t kWarehouseListItem = 0x430E;
inline constexpr uint16_t kWarehouseListAgain = 0x430F;

// Flags of a dialog description's item.
inline constexpr uint16_t kItemConfirms = 0x0004;     // set on the dialog's OK button
inline constexpr uint16_t kItemOpensList = 0x0080;    // the item opens a list: its key goes to the handler
inline constexpr uint16_t kItemActivatable = 0x0100;  // its key activates it

// HostSetDialogFlags(kDialogFlagsWhich, kDialogFlagsAfterList, 1): what the
// dialog's handler sets after the host's warehouse list.
inline constexpr int kDialogFlagsWhich = 0;
inline constexpr int kDialogFlagsAfterList = 0x8000;

}  // namespace kw
