#include "warehouse_list.h"

#include <algorithm>

namespace hostsim::terminal {

namespace {
constexpr int kVisible = 13;
constexpr int kWidth = 32;
}  // namespace

void EditWarehouseList(Session& session, int16_t* flags, int count) {
  Screen& screen = session.screen;
  const std::vector<CHAR_INFO> covered = screen.Cells();
  const Area area{kColumns - kWidth - 4, 3, kWidth, kVisible + 4};
  int current = 0;
  int first = 0;
  for (;;) {
    screen.Window(area, "Magazyny", kWindow);
    screen.Text(area.left + 2, area.top + area.height - 2, "Spacja", kWindowHighlight);
    screen.Text(area.left + 9, area.top + area.height - 2, "zaznacz", kWindow);
    screen.Text(area.left + 17, area.top + area.height - 2, "Enter", kWindowHighlight);
    screen.Text(area.left + 23, area.top + area.height - 2, "zamknij", kWindow);
    first = std::clamp(first, std::max(current - kVisible + 1, 0), current);
    for (int row = 0; row < kVisible && first + row < count; ++row) {
      const int warehouse = first + row;
      const std::string line = std::string(flags[warehouse] ? " [x] " : " [ ] ") + "Magazyn " + std::to_string(warehouse);
      screen.Fill({area.left + 1, area.top + 1 + row, area.width - 2, 1}, warehouse == current ? kSelected : kWindow);
      screen.Text(area.left + 1, area.top + 1 + row, line, warehouse == current ? kSelected : kWindow, area.width - 2);
    }
    const Key key = session.keyboard.Read();
    if (key.name == KeyName::Up) current = std::max(current - 1, 0);
    if (key.name == KeyName::Down) current = std::min(current + 1, count - 1);
    if (key.name == KeyName::PageUp) current = std::max(current - kVisible, 0);
    if (key.name == KeyName::PageDown) current = std::min(current + kVisible, count - 1);
    if (key.name == KeyName::Space) flags[current] = flags[current] ? 0 : 1;
    if (key.name == KeyName::Enter || key.name == KeyName::Escape) break;
  }
  screen.Restore(covered);
  screen.Show();
}

}  // namespace hostsim::terminal
