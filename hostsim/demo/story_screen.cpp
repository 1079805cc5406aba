#include "story_screen.h"

#include "sim_config_dialog.h"
#include "sim_messages.h"
#include "sim_settings.h"
#include "text_codec.h"
#include "windows_boxes.h"

namespace hostsim {

std::string PlainHostText(std::string mazovia) {
  std::erase_if(mazovia, [](char c) { return c == '\x01' || c == '\x02' || c == '\x05'; });
  return MazoviaToUtf8(mazovia);
}

void StoryScreen::Show() {
  const auto& boxes = host_.Use<SimMessages>().Shown();
  for (; boxes_ < boxes.size(); ++boxes_) {
    const HostBox& box = boxes[boxes_];
    Say("  [okno \"" + PlainHostText(box.title) + "\"] " + Indent(PlainHostText(box.text)));
  }
  const auto& stock = host_.Use<SimSettings>().StockDialogTexts();
  for (; stock_ < stock.size(); ++stock_) Say("  [okno programu 1668] " + PlainHostText(stock[stock_]));
  const auto& errors = host_.Use<SimSettings>().ReportedErrors();
  for (; errors_ < errors.size(); ++errors_) Say("  [błąd wtyczki] " + PlainHostText(errors[errors_]));
  const auto& runs = host_.Use<SimConfigDialog>().Runs();
  for (; dialogs_ < runs.size(); ++dialogs_) {
    const std::string& d = runs[dialogs_].description;
    Say("  [okno \"" + PlainHostText(d.substr(28, d.find('\0', 28) - 28)) + "\"] " +
        PlainHostText(d.substr(61, d.find('\0', 61) - 61)));
  }
  const auto& windows = WindowsBoxes::Intercept().Shown();
  for (; windows_ < windows.size(); ++windows_) {
    const WindowsBox& box = windows[windows_];
    Say("  [okno Windows \"" + Windows1250ToUtf8(box.title) + "\"] " + Indent(Windows1250ToUtf8(box.text)));
  }
}

std::string StoryScreen::Indent(std::string text) {
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 5) text.replace(at, 1, "\n     ");
  return text;
}

void StoryScreen::Say(const std::string& line) const {
  if (say_) say_(line);
}

}  // namespace hostsim
