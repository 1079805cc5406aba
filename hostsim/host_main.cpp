// The simulated host program: loads Kalwestrowka.dll as the real host does,
// installs it, and prints in UTF-8 what the host saw and what the user sees.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "guarded_memory.h"
#include "host.h"
#include "plugin_module.h"
#include "sim_installation.h"
#include "sim_messages.h"
#include "text_codec.h"
#include "windows_boxes.h"

using namespace hostsim;

namespace {

void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// The host calls made since the last report, then the boxes the user saw.
void Report(Host& host, std::size_t& boxesSeen) {
  for (const std::string& line : host.Trace()) Say("  host: " + line);
  host.ClearJournal();
  const auto& shown = host.Use<SimMessages>().Shown();
  for (; boxesSeen < shown.size(); ++boxesSeen) {
    Say("  [" + MazoviaToUtf8(shown[boxesSeen].title) + "] " + MazoviaToUtf8(shown[boxesSeen].text));
  }
  for (const WindowsBox& box : WindowsBoxes::Intercept().Shown()) {
    Say("  [" + Windows1250ToUtf8(box.title) + "] " + Windows1250ToUtf8(box.text));
  }
  WindowsBoxes::Intercept().Clear();
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  InstallFaultReporter();
  Host& host = Host::Get();
  WindowsBoxes::Intercept();
  std::size_t boxesSeen = 0;

  PluginModule module;
  Say("== Program ładuje moduł " + std::string(PluginModule::kFileName));
  const bool loaded = module.Load();
  Report(host, boxesSeen);
  if (!loaded) {
    Say("Moduł nie został załadowany.");
    return 1;
  }

  Say("== Program instaluje moduł (wejście 30001)");
  char description[64] = {};
  const int verdict = module.Install(SimInstallation::InstallCallback(), description);
  Report(host, boxesSeen);
  Say("  opis modułu: \"" + MazoviaToUtf8(description) + "\"");
  Say(verdict == 0 ? "  moduł pasuje do programu" : "  moduł nie pasuje do programu");
  if (verdict != 0) {
    Say("== Program pyta moduł o powód (wejście 30008 z flagą 1)");
    module.Register(1);
    Report(host, boxesSeen);
  }

  Say("== Wejścia dodatkowe");
  Say("  30009() = " + std::to_string(module.ExtraNoArgs()));
  Say("  30010(7) = " + std::to_string(module.ExtraOneArg(7)));

  for (const std::string& fault : host.Faults()) Say("BŁĄD: " + fault);
  module.Unload();
  return host.Faults().empty() ? 0 : 1;
}
