#include "module_startup.h"

#include "host_boxes.h"
#include "sim_commands.h"
#include "sim_installation.h"
#include "sim_tables.h"
#include "text_codec.h"
#include "windows_boxes.h"

namespace hostsim::terminal {

namespace {

void Step(Session& session, std::vector<std::string>& report, const std::string& line) {
  report.push_back(line);
  session.screen.Text(2, 1 + static_cast<int>(report.size()), line, kDesk);
  session.screen.Show();
}

}  // namespace

bool StartModule(Session& session, PluginModule& module, const StartOptions& options,
                 std::vector<std::string>& report) {
  session.Desk("Start", {});
  for (const uint16_t ordinal : options.omittedOrdinals) {
    session.host.Omit(ordinal);
    Step(session, report, "Biblioteka programu bez funkcji " + std::to_string(ordinal));
  }
  for (const auto& [table, length] : options.recordLengths) {
    session.host.Use<SimTables>().Define(table, length);
    Step(session, report, "Tabela " + std::to_string(table) + ": rekord " + std::to_string(length) + " bajtów");
  }
  const std::string path = options.modulePath.empty() ? PluginModule::PathNextToProgram() : options.modulePath;
  Step(session, report, "Ładowanie modułu " + path);
  const bool loaded = module.Load(path);
  session.ShowNewFaults();
  for (const WindowsBox& box : WindowsBoxes::Intercept().Shown()) {
    Step(session, report, "  okno \"" + Windows1250ToUtf8(box.title) + "\": " + WindowsAnswerName(box.answer));
  }
  if (!loaded) {
    Step(session, report, "Moduł nie został załadowany.");
    return false;
  }

  char description[64] = {};
  const int verdict = module.Install(SimInstallation::InstallCallback(), description);
  session.ShowNewFaults();
  Step(session, report, "Instalacja: \"" + MazoviaToUtf8(description) + "\" - " +
                            (verdict == 0 ? "pasuje do programu" : "nie pasuje do programu"));
  if (verdict != 0) {
    module.Register(1);
    session.ShowNewFaults();
    Step(session, report, "Moduł wyłączony.");
    return false;
  }
  const int registered = module.Register(0);
  session.ShowNewFaults();
  Step(session, report, "Rejestracja: " + std::string(registered == 0 ? "gotowe" : "nieudana") + ", polecenia: " +
                            std::to_string(session.host.Use<SimCommands>().Commands().size()));
  return registered == 0;
}

}  // namespace hostsim::terminal
