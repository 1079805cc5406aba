#include "host_defaults.h"

#include "host.h"
#include "sim_clock.h"
#include "sim_dialog_base.h"
#include "sim_files.h"
#include "sim_installation.h"
#include "sim_messages.h"
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
  host.Use<SimInstallation>();
}

}  // namespace hostsim
