#include "main_menu.h"

#include <algorithm>
#include <cstring>

#include "document_screen.h"
#include "jpk_screen.h"
#include "sim_commands.h"
#include "text_codec.h"

namespace hostsim::terminal {

namespace {

constexpr std::size_t kMenuTextAt = 4;  // in a command record: the menu text's address
constexpr std::size_t kCommandIdAt = 8;

struct MenuItem {
  std::string text;  // UTF-8
  enum { Documents, Register, Command, End } what;
  uint16_t commandId = 0;
};

std::vector<MenuItem> Items(Session& session) {
  std::vector<MenuItem> items = {{"Dokumenty sprzedaży", MenuItem::Documents}, {"Rejestr JPK", MenuItem::Register}};
  for (const RegisteredCommand& command : session.host.Use<SimCommands>().Commands()) {
    const char* text = nullptr;
    uint16_t id = 0;
    std::memcpy(&text, command.record.data() + kMenuTextAt, sizeof text);
    std::memcpy(&id, command.record.data() + kCommandIdAt, sizeof id);
    items.push_back({text ? MazoviaToUtf8(text) : "?", MenuItem::Command, id});
  }
  items.push_back({"Koniec", MenuItem::End});
  return items;
}

void Draw(Session& session, const std::vector<MenuItem>& items, std::size_t chosen,
          const std::vector<std::string>& startReport, const std::string& filesFolder) {
  Screen& screen = session.screen;
  session.Desk("Menu główne", {{"↑↓", "Wybór"}, {"Enter", "Otwórz"}});
  const Area menu{2, 2, 30, static_cast<int>(items.size()) + 2};
  screen.Window(menu, "Menu", kWindow);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int row = menu.top + 1 + static_cast<int>(i);
    screen.Fill({menu.left + 1, row, menu.width - 2, 1}, i == chosen ? kSelected : kWindow);
    screen.Text(menu.left + 2, row, items[i].text, i == chosen ? kSelected : kWindow, menu.width - 4);
  }
  const int top = std::max(menu.top + menu.height + 1, 9);
  screen.Text(2, top, "Start modułu:", kDeskHighlight);
  for (std::size_t i = 0; i < startReport.size() && top + 1 + static_cast<int>(i) < kRows - 3; ++i) {
    screen.Text(4, top + 1 + static_cast<int>(i), startReport[i], kDesk, kColumns - 6);
  }
  screen.Text(2, kRows - 2, "Pliki programu: " + filesFolder, kDesk);
}

}  // namespace

void RunMainMenu(Session& session, const std::vector<std::string>& startReport, const std::string& filesFolder) {
  DocumentScreen documents(session);
  std::size_t chosen = 0;
  for (;;) {
    const std::vector<MenuItem> items = Items(session);
    chosen = std::min(chosen, items.size() - 1);
    Draw(session, items, chosen, startReport, filesFolder);
    const Key key = session.keyboard.Read();
    if (key.name == KeyName::Up) chosen = (chosen + items.size() - 1) % items.size();
    if (key.name == KeyName::Down) chosen = (chosen + 1) % items.size();
    if (key.name != KeyName::Enter) continue;
    switch (items[chosen].what) {
      case MenuItem::Documents: documents.Run(); break;
      case MenuItem::Register: RunJpkScreen(session); break;
      case MenuItem::Command:
        session.host.Use<SimCommands>().Pick(items[chosen].commandId);
        session.ShowNewFaults();
        break;
      case MenuItem::End: return;
    }
  }
}

}  // namespace hostsim::terminal
