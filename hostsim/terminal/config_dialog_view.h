// A dialog of the module drawn from its own description in the host's dialog
// format, and run by the person: a key bound to an item that opens a list
// hands the item's id to the module's handler; a key bound to a button ends
// the dialog with the button's id.
//
// Description: 32-bit size after the first field, 16-bit item count at 6,
// width at 20 and height at 22 (columns and rows, frame included), the title
// from 28, zero-terminated; the items from 41, each: kind, id, flags, key
// code, column, row, width, height (16-bit each, column and row counted from
// the box's top-left corner), a 32-bit zero, the zero-terminated text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session.h"
#include "sim_config_dialog.h"

namespace hostsim::terminal {

struct DialogItem {
  uint16_t kind, id, flags, keyCode, column, row, width, height;
  std::string text;  // Mazovia, with markup
};

struct DialogDescription {
  std::string title;  // Mazovia
  int width = 0, height = 0;
  std::vector<DialogItem> items;
};

// Reads a description; items that would run past its end are left out.
DialogDescription ReadDialogDescription(const std::string& bytes);

class ConfigDialogView : public DialogUser {
 public:
  explicit ConfigDialogView(Session& session) : session_(session) {}

  void Opened(const std::string& description) override;
  uint16_t Act(const std::function<int(int code, int phase)>& deliver) override;
  void EditWarehouses(int16_t* flags, int count) override;

 private:
  void Draw();

  Session& session_;
  DialogDescription dialog_;
  std::vector<CHAR_INFO> covered_;
  const int16_t* flags_ = nullptr;  // the list's flags while the dialog runs
  int flagCount_ = 0;
};

}  // namespace hostsim::terminal
