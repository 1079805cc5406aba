#include "host_defaults.h"

#include "host.h"
#include "sim_clock.h"
#include "sim_commands.h"
#include "sim_config_dialog.h"
#include "sim_dialog_base.h"
#include "sim_documents.h"
#include "sim_files.h"
#include "sim_installation.h"
#include "sim_jpk_register.h"
#include "sim_messages.h"
#include "sim_settings.h"
#include "sim_tables.h"
#include "sim_text.h"

namespace hostsim {

void InstallDefaultHandlers(Host& host) {
  host.Use<SimText>();
  host.Use<SimTables>();
  host.Use<SimFiles>();
  host.Use<SimClock>();
  host.Use<SimMessages>();
  host.Use<SimDialogBase>();
  host.Use<SimDocuments>();
  host.Use<SimInstallation>();
  host.Use<SimJpkRegister>();
  host.Use<SimCommands>();
  host.Use<SimConfigDialog>();
  host.Use<SimSettings>();
}

}  // namespace hostsim
