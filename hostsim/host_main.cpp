// The simulated host program: loads Kalwestrowka.dll as the real host does and
// walks the whole foreign-sale story of a small shop, printing in UTF-8 what
// the user sees and what becomes of the shop's data.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "example_shop.h"
#include "guarded_memory.h"
#include "host.h"
#include "plugin_module.h"
#include "sim_commands.h"
#include "sim_config_dialog.h"
#include "sim_files.h"
#include "sim_installation.h"
#include "sim_messages.h"
#include "sim_settings.h"
#include "text_codec.h"
#include "windows_boxes.h"

using namespace hostsim;

namespace {

void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

std::string Plain(std::string mazovia) {  // without the markup bytes of host texts
  std::erase_if(mazovia, [](char c) { return c == '\x01' || c == '\x02' || c == '\x05'; });
  return MazoviaToUtf8(mazovia);
}

// Everything put on the screen since the last call.
class Screen {
 public:
  explicit Screen(Host& host) : host_(host) {}

  void Show() {
    const auto& boxes = host_.Use<SimMessages>().Shown();
    for (; boxes_ < boxes.size(); ++boxes_) {
      const HostBox& box = boxes[boxes_];
      Say("  [okno \"" + Plain(box.title) + "\"] " + Indent(Plain(box.text)));
    }
    const auto& stock = host_.Use<SimSettings>().StockDialogTexts();
    for (; stock_ < stock.size(); ++stock_) Say("  [okno programu 1668] " + Plain(stock[stock_]));
    const auto& errors = host_.Use<SimSettings>().ReportedErrors();
    for (; errors_ < errors.size(); ++errors_) Say("  [błąd wtyczki] " + Plain(errors[errors_]));
    const auto& runs = host_.Use<SimConfigDialog>().Runs();
    for (; dialogs_ < runs.size(); ++dialogs_) {
      const std::string& d = runs[dialogs_].description;
      Say("  [okno \"" + Plain(d.substr(28, d.find('\0', 28) - 28)) + "\"] " + Plain(d.substr(61, d.find('\0', 61) - 61)));
    }
    for (const WindowsBox& box : WindowsBoxes::Intercept().Shown()) {
      Say("  [okno Windows \"" + Windows1250ToUtf8(box.title) + "\"] " + Indent(Windows1250ToUtf8(box.text)));
    }
    WindowsBoxes::Intercept().Clear();
  }

 private:
  static std::string Indent(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 5) text.replace(at, 1, "\n     ");
    return text;
  }

  Host& host_;
  std::size_t boxes_ = 0, stock_ = 0, errors_ = 0, dialogs_ = 0;
};

std::string FlaggedWarehouses(const std::string& file) {
  std::string list;
  for (int warehouse = 0; warehouse * 2 + 1 < static_cast<int>(file.size()); ++warehouse) {
    if (file[2 * warehouse] || file[2 * warehouse + 1]) list += (list.empty() ? "" : ", ") + std::to_string(warehouse);
  }
  return list.empty() ? "żaden" : list;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  InstallFaultReporter();
  Host& host = Host::Get();
  WindowsBoxes::Intercept();
  Screen screen(host);
  ExampleShop shop(host);
  shop.AddContractors();
  shop.AddRegisterEntries();

  PluginModule module;
  Say("== Program ładuje moduł " + std::string(PluginModule::kFileName));
  if (!module.Load()) {
    screen.Show();
    Say("Moduł nie został załadowany.");
    return 1;
  }
  Say("  klasy programu zarejestrowane przez moduł: " + std::to_string(host.CountCalls("HostRegisterClass")));

  Say("== Program instaluje moduł");
  char description[64] = {};
  const int verdict = module.Install(SimInstallation::InstallCallback(), description);
  screen.Show();
  Say("  opis modułu: \"" + MazoviaToUtf8(description) + "\" — " +
      (verdict == 0 ? "pasuje do programu" : "nie pasuje do programu"));
  if (verdict != 0) {
    module.Register(1);
    screen.Show();
    return 1;
  }

  Say("== Program rejestruje moduł");
  const int registered = module.Register(0);
  screen.Show();
  auto& commands = host.Use<SimCommands>();
  for (const RegisteredCommand& command : commands.Commands()) Say("  nowe polecenie w menu: \"" + Plain(command.menuText) + "\"");
  if (registered != 0) return 1;

  Say("== Użytkownik wybiera \"Konfiguracja spr.obcej\" i zaznacza magazyn 3 (towary obce), F12");
  auto& dialog = host.Use<SimConfigDialog>();
  dialog.MarkInList({{3, 1}});
  dialog.Script({}, kDialogOk);
  commands.Pick(commands.Commands().at(0).id);
  screen.Show();
  Say("  komis.cfg: " + std::to_string(host.Use<SimFiles>().Read("komis.cfg").value_or("").size()) +
      " bajty, magazyny sprzedaży obcej: " + FlaggedWarehouses(host.Use<SimFiles>().Read("komis.cfg").value_or("")));

  Say("== Użytkownik wystawia fakturę FS 5/12/2026: kawa z magazynu 1, obraz z magazynu 3 (komis)");
  shop.OpenDocumentDialog();
  const int consigned = shop.EnterAndAccept("FS 5/12/2026", kSalesDocumentKind,
                                            {{1, "kawa"}, {3, "obraz olejny"}}, 1230.0);
  screen.Show();
  Say("  po zatwierdzeniu: " + DescribeDocument(shop.StoredDocument(consigned)));
  Say("== Użytkownik wystawia fakturę FS 6/12/2026: tylko kawa z magazynu 1");
  const int own = shop.EnterAndAccept("FS 6/12/2026", kSalesDocumentKind, {{1, "kawa"}}, 45.5);
  screen.Show();
  Say("  po zatwierdzeniu: " + DescribeDocument(shop.StoredDocument(own)));
  Say("== Użytkownik zamyka okno dokumentów");
  shop.CloseDocumentDialog();
  screen.Show();
  Say("  FS 5/12/2026 zapisana: " + DescribeDocument(shop.StoredDocument(consigned)));
  Say("  FS 6/12/2026 zapisana: " + DescribeDocument(shop.StoredDocument(own)));

  Say("== Program przygotowuje rejestr JPK");
  Say("  wpisy przed: " + Joined(shop.RegisterList()));
  shop.WorkOnJpkRegister();
  screen.Show();
  Say("  wpisy po:    " + Joined(shop.RegisterList()));

  Say("== Program odinstalowuje moduł");
  module.Install(nullptr, nullptr);
  screen.Show();
  Say("  polecenia modułu w menu: " + std::to_string(commands.Commands().size()));

  for (const std::string& fault : host.Faults()) Say("BŁĄD: " + fault);
  module.Unload();
  return host.Faults().empty() ? 0 : 1;
}
