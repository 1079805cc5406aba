#include "session.h"

#include "sim_settings.h"
#include "text_codec.h"

namespace hostsim::terminal {

void Session::Desk(const std::string& title, const std::vector<KeyHint>& keys) {
  screen.Fill({0, 0, kColumns, kRows}, kDesk);
  screen.Fill({0, 0, kColumns, 1}, kBar);
  screen.Text(1, 0, "Program sprzedaży (symulacja)", kBar);
  screen.Text(kColumns - 1 - Width(title), 0, title, kBarKey);
  screen.Fill({0, kRows - 1, kColumns, 1}, kBar);
  int column = 1;
  for (const KeyHint& hint : keys) {
    column += screen.Text(column, kRows - 1, hint.key, kBarKey);
    column += screen.Text(column, kRows - 1, " " + hint.what + "  ", kBar);
  }
}

void Session::ShowNewFaults() {
  std::vector<TextLine> lines;
  const auto& faults = host.Faults();
  for (; faultsSeen_ < faults.size(); ++faultsSeen_) lines.push_back({{{0, faults[faultsSeen_], false}}});
  const auto& errors = host.Use<SimSettings>().ReportedErrors();
  for (; errorsSeen_ < errors.size(); ++errorsSeen_) lines.push_back({{{0, MazoviaToUtf8(errors[errorsSeen_]), false}}});
  if (lines.empty()) return;
  boxes.Ask("Błąd wtyczki", lines, kWarningLook, {{"OK", 1}}, 0, 1);
}

}  // namespace hostsim::terminal
