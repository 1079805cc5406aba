// GetModuleFileNameA answered by the simulated system for Kalwestrowka.dll:
// as Windows answers it, not at all, or with another path. Calls about other
// modules get their real paths.
#pragma once

#include "module_file_name_answers.h"
#include "plugin_module.h"

namespace hostsim {

class ModuleFileNames {
 public:
  // Installs the replacement once per process; later calls reset what it answers.
  static ModuleFileNameAnswers& Intercept() { return ModuleFileNameAnswers::Intercept(PluginModule::kFileName); }
};

}  // namespace hostsim
