#include "demo_story.h"

#include <functional>
#include <string>
#include <vector>

#include "example_shop.h"
#include "plugin_module.h"
#include "sim_commands.h"
#include "sim_config_dialog.h"
#include "sim_files.h"
#include "sim_installation.h"
#include "sim_messages.h"
#include "sim_settings.h"
#include "text_codec.h"
#include "windows_boxes.h"

namespace hostsim {

namespace {

std::string Plain(std::string mazovia) {  // without the markup bytes of host texts
  std::erase_if(mazovia, [](char c) { return c == '\x01' || c == '\x02' || c == '\x05'; });
  return MazoviaToUtf8(mazovia);
}

// Everything put on the screen since the last call.
class Screen {
 public:
  Screen(Host& host, const std::function<void(const std::string&)>& say) : host_(host), say_(say) {}

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
    const auto& windows = WindowsBoxes::Intercept().Shown();
    for (; windows_ < windows.size(); ++windows_) {
      const WindowsBox& box = windows[windows_];
      Say("  [okno Windows \"" + Windows1250ToUtf8(box.title) + "\"] " + Indent(Windows1250ToUtf8(box.text)));
    }
  }

 private:
  static std::string Indent(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 5) text.replace(at, 1, "\n     ");
    return text;
  }

  void Say(const std::string& line) const {
    if (say_) say_(line);
  }

  Host& host_;
  const std::function<void(const std::string&)>& say_;
  std::size_t boxes_ = 0, stock_ = 0, errors_ = 0, dialogs_ = 0, windows_ = 0;
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

StoryOutcome RunForeignSaleStory(Host& host, const StoryOptions& options) {
  StoryOutcome outcome;
  const auto Say = [&](const std::string& line) {
    if (options.say) options.say(line);
  };
  WindowsBoxes::Intercept();  // the simulated user answers the module's Windows boxes
  Screen screen(host, options.say);
  ExampleShop shop(host);
  shop.AddContractors();
  shop.AddRegisterEntries();
  auto& commands = host.Use<SimCommands>();
  auto& dialog = host.Use<SimConfigDialog>();
  auto& files = host.Use<SimFiles>();
  const auto configuration = [&] { return files.Read("komis.cfg").value_or(""); };

  PluginModule module;
  Say("== Program ładuje moduł " + std::string(PluginModule::kFileName));
  outcome.loaded = module.Load();
  if (!outcome.loaded) {
    screen.Show();
    Say("Moduł nie został załadowany.");
    return outcome;
  }
  Say("  klasy programu zarejestrowane przez moduł: " + std::to_string(host.CountCalls("HostRegisterClass")));

  Say("== Program instaluje moduł");
  char description[64] = {};
  outcome.installVerdict = module.Install(SimInstallation::InstallCallback(), description);
  screen.Show();
  Say("  opis modułu: \"" + MazoviaToUtf8(description) + "\" — " +
      (outcome.installVerdict == 0 ? "pasuje do programu" : "nie pasuje do programu"));
  if (outcome.installVerdict != 0) {
    module.Register(1);
    screen.Show();
    if (!options.goOnWhenRefused) return outcome;
  }

  Say("== Program rejestruje moduł");
  outcome.registration = module.Register(0);
  screen.Show();
  for (const RegisteredCommand& command : commands.Commands()) Say("  nowe polecenie w menu: \"" + Plain(command.menuText) + "\"");
  if (outcome.registration != 0 && !options.goOnWhenRefused) return outcome;

  const auto pickConfiguration = [&] {
    if (commands.Commands().empty()) {
      Say("  (polecenia nie ma w menu)");
      return;
    }
    commands.Pick(commands.Commands().front().id);
    screen.Show();
    Say("  komis.cfg: " + std::to_string(configuration().size()) +
        " bajty, magazyny sprzedaży obcej: " + FlaggedWarehouses(configuration()));
  };
  Say("== Użytkownik wybiera \"Konfiguracja spr.obcej\" i zaznacza magazyn 3 (towary obce), F12");
  dialog.MarkInList({{3, 1}});
  dialog.Script({}, kDialogOk);
  pickConfiguration();
  Say("== Użytkownik otwiera konfigurację ponownie, zaznacza magazyn 5 i rezygnuje (Esc)");
  dialog.MarkInList({{5, 1}});
  dialog.Script({}, kDialogCancel);
  pickConfiguration();

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
  outcome.ranToEnd = true;
  return outcome;
}

}  // namespace hostsim
