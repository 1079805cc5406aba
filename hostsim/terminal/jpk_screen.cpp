#include "jpk_screen.h"

#include "host_records.h"
#include "sim_jpk_register.h"
#include "sim_tables.h"
#include "text_codec.h"

namespace hostsim::terminal {

namespace {

void DrawRegister(Session& session, const std::string& note) {
  Screen& screen = session.screen;
  session.Desk("Rejestr JPK", {{"F2", "Przygotuj rejestr (zdarzenie 231)"}, {"Esc", "Powrót"}});
  screen.Text(1, 2, "Lp  Dokument          Kontrahent                            Nr kontr.", kDeskHighlight);
  int row = 3;
  for (const int entry : session.host.Use<SimJpkRegister>().List()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(
        session.host.Use<SimTables>().Record(SimJpkRegister::kTable, entry - 1).data());
    screen.Text(1, row, std::to_string(row - 2) + ".", kDesk);
    screen.Text(5, row, MazoviaToUtf8(record->JpkDocNumber), kDesk, 17);
    screen.Text(23, row, MazoviaToUtf8(record->JpkContrText1), kDesk, 37);
    screen.Text(61, row, std::to_string(record->JpkContrNumber), kDesk);
    ++row;
  }
  if (row == 3) screen.Text(1, row, "Rejestr jest pusty.", kDesk);
  screen.Text(1, row + 1, note, kDeskHighlight);
}

}  // namespace

void RunJpkScreen(Session& session) {
  auto& jpk = session.host.Use<SimJpkRegister>();
  std::string note;
  for (;;) {
    DrawRegister(session, note);
    const Key key = session.keyboard.Read();
    if (key.name == KeyName::Escape) return;
    if (!key.IsFunction(2)) continue;
    const std::size_t deletedBefore = jpk.Deleted().size();
    session.shop.WorkOnJpkRegister();
    session.ShowNewFaults();
    note = "Zdarzenie 231: usunięte wpisy: " + std::to_string(jpk.Deleted().size() - deletedBefore);
  }
}

}  // namespace hostsim::terminal
