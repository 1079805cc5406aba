#include "config_dialog_view.h"

#include <cstring>

#include "host_dialog_codes.h"
#include "host_markup.h"
#include "text_codec.h"
#include "warehouse_list.h"

namespace hostsim::terminal {

namespace {

constexpr std::size_t kItemCountAt = 6;
constexpr std::size_t kWidthAt = 20;
constexpr std::size_t kHeightAt = 22;
constexpr std::size_t kTitleAt = 28;
constexpr std::size_t kItemFieldsSize = 8 * 2 + 4;
constexpr int kActivationPhase = 1;
constexpr uint16_t kTextItem = 3;

uint16_t Word(const std::string& bytes, std::size_t at) {
  uint16_t value = 0;
  if (at + 2 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

std::string ZeroTerminated(const std::string& bytes, std::size_t at, std::size_t* next) {
  const std::size_t end = bytes.find('\0', at);
  *next = end == std::string::npos ? bytes.size() : end + 1;
  return at < bytes.size() ? bytes.substr(at, (end == std::string::npos ? bytes.size() : end) - at) : "";
}

}  // namespace

DialogDescription ReadDialogDescription(const std::string& bytes) {
  DialogDescription dialog;
  dialog.width = Word(bytes, kWidthAt);
  dialog.height = Word(bytes, kHeightAt);
  std::size_t at = kTitleAt;
  dialog.title = ZeroTerminated(bytes, at, &at);
  for (int i = 0; i < Word(bytes, kItemCountAt) && at + kItemFieldsSize < bytes.size(); ++i) {
    DialogItem item{Word(bytes, at),      Word(bytes, at + 2),  Word(bytes, at + 4),  Word(bytes, at + 6),
                    Word(bytes, at + 8),  Word(bytes, at + 10), Word(bytes, at + 12), Word(bytes, at + 14),
                    {}};
    item.text = ZeroTerminated(bytes, at + kItemFieldsSize, &at);
    dialog.items.push_back(std::move(item));
  }
  return dialog;
}

void ConfigDialogView::Opened(const std::string& description) {
  dialog_ = ReadDialogDescription(description);
  covered_ = session_.screen.Cells();
  Draw();
}

void ConfigDialogView::Draw() {
  Screen& screen = session_.screen;
  const Area box = Centred(dialog_.width, dialog_.height);
  screen.Window(box, MazoviaToUtf8(dialog_.title), kWindow);
  for (const DialogItem& item : dialog_.items) {
    const int left = box.left + item.column;
    const int top = box.top + item.row;
    const bool field = (item.flags & kw::kItemOpensList) != 0;
    const bool button = item.kind != kTextItem && !field;
    WORD colour = field ? kField : kWindow;
    if (button) colour = kBarKey;
    if (field || button) screen.Fill({left, top, item.width, item.height}, colour);
    std::string shown = item.text;
    if (field && flags_) {  // the field bound to the list shows the marked warehouses
      shown.clear();
      for (int w = 0; w < flagCount_; ++w) {
        if (flags_[w]) shown += (shown.empty() ? " " : ", ") + std::to_string(w);
      }
    }
    const std::vector<TextLine> lines = LayOutHostText(shown);
    for (int row = 0; row < static_cast<int>(lines.size()) && row < item.height; ++row) {
      for (const TextRun& run : lines[row].runs) {
        const WORD runColour = run.highlighted ? (button ? kDeskHighlight : kWindowHighlight) : colour;
        screen.Text(left + run.column, top + row, run.utf8, runColour, item.width - run.column);
      }
    }
  }
}

uint16_t ConfigDialogView::Act(const std::function<int(int code, int phase)>& deliver) {
  uint16_t endCode = 0;
  while (!endCode) {
    Draw();
    const uint16_t code = session_.keyboard.Read().HostCode();
    for (const DialogItem& item : dialog_.items) {
      if (!code || item.keyCode != code || !(item.flags & kw::kItemActivatable)) continue;
      if (item.flags & kw::kItemOpensList) deliver(item.id, kActivationPhase);
      else endCode = item.id;
      break;
    }
  }
  session_.screen.Restore(covered_);
  flags_ = nullptr;
  return endCode;
}

void ConfigDialogView::EditWarehouses(int16_t* flags, int count) {
  flags_ = flags;
  flagCount_ = count;
  Draw();
  EditWarehouseList(session_, flags, count);
}

}  // namespace hostsim::terminal
