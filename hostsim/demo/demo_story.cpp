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
#include "story_screen.h"
#include "text_codec.h"
#include "windows_boxes.h"

namespace hostsim {

namespace {

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

// The story's scenes in the order the host lives them; a scene that answers
// false ends the story there.
class ForeignSaleStory {
 public:
  ForeignSaleStory(Host& host, ExampleShop& shop, const StoryOptions& options, StoryOutcome& outcome)
      : host_(host),
        options_(options),
        outcome_(outcome),
        screen_(host, options.say),
        shop_(shop),
        commands_(host.Use<SimCommands>()),
        dialog_(host.Use<SimConfigDialog>()),
        files_(host.Use<SimFiles>()) {}

  bool LoadModule();
  bool InstallModule();
  bool RegisterModule();
  void ConfigureForeignSale();
  void SellWithDocuments();
  void PrepareJpkRegister();
  void ShowJournal();
  void UninstallModule();

 private:
  void Say(const std::string& line) const {
    if (options_.say) options_.say(line);
  }
  std::string Configuration() const { return files_.Read("komis.cfg").value_or(""); }
  void PickConfiguration();

  Host& host_;
  const StoryOptions& options_;
  StoryOutcome& outcome_;
  StoryScreen screen_;
  ExampleShop& shop_;
  SimCommands& commands_;
  SimConfigDialog& dialog_;
  SimFiles& files_;
  PluginModule module_;
};

bool ForeignSaleStory::LoadModule() {
  Say("== Program ładuje moduł " + std::string(PluginModule::kFileName));
  outcome_.loaded = module_.Load();
  if (!outcome_.loaded) {
    screen_.Show();
    Say("Moduł nie został załadowany.");
    return false;
  }
  Say("  klasy programu zarejestrowane przez moduł: " + std::to_string(host_.CountCalls("HostRegisterClass")));
  return true;
}

bool ForeignSaleStory::InstallModule() {
  Say("== Program instaluje moduł");
  char description[64] = {};
  outcome_.installVerdict = module_.Install(SimInstallation::InstallCallback(), description);
  screen_.Show();
  Say("  opis modułu: \"" + MazoviaToUtf8(description) + "\" — " +
      (outcome_.installVerdict == 0 ? "pasuje do programu" : "nie pasuje do programu"));
  if (outcome_.installVerdict != 0) {
    module_.Register(1);
    screen_.Show();
    if (!options_.goOnWhenRefused) return false;
  }
  return true;
}

bool ForeignSaleStory::RegisterModule() {
  Say("== Program rejestruje moduł");
  outcome_.registration = module_.Register(0);
  screen_.Show();
  for (const RegisteredCommand& command : commands_.Commands()) {
    Say("  nowe polecenie w menu: \"" + PlainHostText(command.menuText) + "\"");
  }
  return outcome_.registration == 0 || options_.goOnWhenRefused;
}

void ForeignSaleStory::PickConfiguration() {
  if (commands_.Commands().empty()) {
    Say("  (polecenia nie ma w menu)");
    return;
  }
  commands_.Pick(commands_.Commands().front().id);
  screen_.Show();
  Say("  komis.cfg: " + std::to_string(Configuration().size()) +
      " bajty, magazyny sprzedaży obcej: " + FlaggedWarehouses(Configuration()));
}

void ForeignSaleStory::ConfigureForeignSale() {
  Say("== Użytkownik wybiera \"Konfiguracja spr.obcej\" i zaznacza magazyn 3 (towary obce), F12");
  dialog_.MarkInList({{3, 1}});
  dialog_.Script({}, kDialogOk);
  PickConfiguration();
  Say("== Użytkownik otwiera konfigurację ponownie, zaznacza magazyn 5 i rezygnuje (Esc)");
  dialog_.MarkInList({{5, 1}});
  dialog_.Script({}, kDialogCancel);
  PickConfiguration();
}

void ForeignSaleStory::SellWithDocuments() {
  Say("== Użytkownik wystawia fakturę FS 5/12/2026: kawa z magazynu 1, obraz z magazynu 3 (komis)");
  shop_.OpenDocumentDialog();
  const int consigned = shop_.EnterAndAccept("FS 5/12/2026", kSalesDocumentKind,
                                             {{1, "kawa"}, {3, "obraz olejny"}}, 1230.0);
  screen_.Show();
  Say("  po zatwierdzeniu: " + DescribeDocument(shop_.StoredDocument(consigned)));
  Say("== Użytkownik wystawia fakturę FS 6/12/2026: tylko kawa z magazynu 1");
  const int own = shop_.EnterAndAccept("FS 6/12/2026", kSalesDocumentKind, {{1, "kawa"}}, 45.5);
  screen_.Show();
  Say("  po zatwierdzeniu: " + DescribeDocument(shop_.StoredDocument(own)));
  Say("== Użytkownik zamyka okno dokumentów");
  shop_.CloseDocumentDialog();
  screen_.Show();
  Say("  FS 5/12/2026 zapisana: " + DescribeDocument(shop_.StoredDocument(consigned)));
  Say("  FS 6/12/2026 zapisana: " + DescribeDocument(shop_.StoredDocument(own)));
}

void ForeignSaleStory::PrepareJpkRegister() {
  Say("== Program przygotowuje rejestr JPK");
  Say("  wpisy przed: " + Joined(shop_.RegisterList()));
  shop_.WorkOnJpkRegister();
  screen_.Show();
  Say("  wpisy po:    " + Joined(shop_.RegisterList()));
}

void ForeignSaleStory::ShowJournal() {
  Say("== Dziennik zmian modułu (Kalwestrowka-dziennik.csv)");
  for (const std::string& line : files_.LogLines("Kalwestrowka-dziennik.csv")) Say("  " + Windows1250ToUtf8(line));
}

void ForeignSaleStory::UninstallModule() {
  Say("== Program odinstalowuje moduł");
  module_.Install(nullptr, nullptr);
  screen_.Show();
  Say("  polecenia modułu w menu: " + std::to_string(commands_.Commands().size()));
  for (const std::string& fault : host_.Faults()) Say("BŁĄD: " + fault);
  module_.Unload();
  outcome_.ranToEnd = true;
}

}  // namespace

StoryOutcome RunForeignSaleStory(Host& host, const StoryOptions& options) {
  StoryOutcome outcome;
  WindowsBoxes::Intercept();  // the simulated user answers the module's Windows boxes
  ExampleShop shop(host);
  shop.AddContractors();
  shop.AddRegisterEntries();
  ForeignSaleStory story(host, shop, options, outcome);
  if (!story.LoadModule() || !story.InstallModule() || !story.RegisterModule()) return outcome;
  story.ConfigureForeignSale();
  story.SellWithDocuments();
  story.PrepareJpkRegister();
  story.ShowJournal();
  story.UninstallModule();
  return outcome;
}

}  // namespace hostsim
