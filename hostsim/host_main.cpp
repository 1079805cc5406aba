// The simulated host program: loads Kalwestrowka.dll as the real host would
// and prints, in UTF-8, what the host saw.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "guarded_memory.h"
#include "host.h"
#include "plugin_module.h"
#include "text_codec.h"
#include "windows_boxes.h"

using namespace hostsim;

namespace {

void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

void SayJournal(Host& host) {
  for (const std::string& line : host.Trace()) Say("  host: " + line);
  host.ClearJournal();
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  InstallFaultReporter();
  Host& host = Host::Get();
  WindowsBoxes::Intercept();

  PluginModule module;
  Say("== Ładowanie modułu " + std::string(PluginModule::kFileName));
  const bool loaded = module.Load();
  SayJournal(host);
  if (!loaded) {
    Say("Moduł nie został załadowany.");
    return 1;
  }
  Say("Moduł załadowany.");

  Say("== Wejścia dodatkowe");
  Say("  30009() = " + std::to_string(module.ExtraNoArgs()));
  Say("  30010(7) = " + std::to_string(module.ExtraOneArg(7)));

  for (const std::string& fault : host.Faults()) Say("BŁĄD: " + fault);
  module.Unload();
  return host.Faults().empty() ? 0 : 1;
}
