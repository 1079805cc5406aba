#include "box_window.h"

#include <algorithm>

namespace hostsim::terminal {

namespace {

constexpr int kMargin = 2;   // columns between the frame and the text
constexpr int kMaxTextRows = kRows - 6;

std::string Label(const Button& button) { return "[ " + button.label + " ]"; }

int ButtonsWidth(const std::vector<Button>& buttons) {
  int width = 0;
  for (const Button& button : buttons) width += Width(Label(button)) + 2;
  return buttons.empty() ? 0 : width - 2;
}

}  // namespace

Area BoxWindow::Draw(const std::string& title, const std::vector<TextLine>& lines, BoxLook look, int buttonsWidth) {
  const int textRows = std::min(static_cast<int>(lines.size()), kMaxTextRows);
  const int inner = std::max({WidthOf(lines), Width(title) + 2, buttonsWidth});
  const int margin = std::clamp((kColumns - 2 - inner) / 2, 0, kMargin);  // less where a long line needs it
  const Area area = Centred(inner + 2 * margin + 2, textRows + 2 + (buttonsWidth ? 2 : 0));
  screen_.Window(area, title, look.body);
  for (int row = 0; row < textRows; ++row) {
    for (const TextRun& run : lines[row].runs) {
      screen_.Text(area.left + 1 + margin + run.column, area.top + 1 + row, run.utf8,
                   run.highlighted ? look.highlight : look.body, area.width - 2 - margin - run.column);
    }
  }
  return area;
}

void BoxWindow::DrawButtons(Area area, const std::vector<Button>& buttons, std::size_t chosen, BoxLook look) {
  int column = area.left + (area.width - ButtonsWidth(buttons)) / 2;
  const int row = area.top + area.height - 2;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    column += screen_.Text(column, row, Label(buttons[i]), i == chosen ? kSelected : look.body) + 2;
  }
}

int BoxWindow::Ask(const std::string& title, const std::vector<TextLine>& lines, BoxLook look,
                   const std::vector<Button>& buttons, std::size_t defaultButton, int escapeAnswer) {
  const std::vector<CHAR_INFO> covered = screen_.Cells();
  const Area area = Draw(title, lines, look, ButtonsWidth(buttons));
  std::size_t chosen = std::min(defaultButton, buttons.size() - 1);
  int answer = buttons.at(chosen).answer;
  for (;;) {
    DrawButtons(area, buttons, chosen, look);
    const Key key = keyboard_.Read();
    if (key.name == KeyName::Left) chosen = (chosen + buttons.size() - 1) % buttons.size();
    if (key.name == KeyName::Right || key.name == KeyName::Tab) chosen = (chosen + 1) % buttons.size();
    if (key.name == KeyName::Enter || key.name == KeyName::Space) {
      answer = buttons[chosen].answer;
      break;
    }
    if (key.name == KeyName::Escape &&
        std::any_of(buttons.begin(), buttons.end(), [&](const Button& b) { return b.answer == escapeAnswer; })) {
      answer = escapeAnswer;
      break;
    }
  }
  screen_.Restore(covered);
  screen_.Show();
  return answer;
}

void BoxWindow::OpenWait(const std::string& title, const std::vector<TextLine>& lines, BoxLook look) {
  waits_.push_back({screen_.Cells(), GetTickCount()});
  Draw(title, lines, look, 0);
  screen_.Show();
}

void BoxWindow::CloseWait() {
  if (waits_.empty()) return;
  const DWORD shown = GetTickCount() - waits_.back().openedAt;
  if (shown < waitMinimumMs_) Sleep(waitMinimumMs_ - shown);
  screen_.Restore(waits_.back().covered);
  waits_.pop_back();
  screen_.Show();
}

}  // namespace hostsim::terminal
