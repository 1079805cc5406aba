#include "host_defaults.h"

#include "host.h"
#include "sim_text.h"

namespace hostsim {

void InstallDefaultHandlers(Host& host) {
  host.Use<SimText>();
}

}  // namespace hostsim
