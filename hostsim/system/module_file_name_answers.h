// GetModuleFileNameA answered by the simulated system for one module, named
// by its file name: as Windows answers it, not at all, or with another path.
// Calls about other modules get their real paths.
#pragma once

#include <optional>
#include <string>

namespace hostsim {

class ModuleFileNameAnswers {
 public:
  // Installs the replacement once per process; later calls reset what it
  // answers and name the module it answers for (e.g. "Kalwestrowka.dll").
  static ModuleFileNameAnswers& Intercept(std::string moduleFileName);

  // GetModuleFileNameA of the module answers 0, as when Windows cannot give the path.
  void Fail() { fail_ = true; }
  // It answers this path instead, copied as far as the buffer allows and
  // zero-terminated only when there is room, as older systems do.
  void Answer(std::string path) { path_ = std::move(path); }
  unsigned long Answer(void* module, char* buffer, unsigned long size) const;

 private:
  // Whether a real path is the named module's: its file name ends the path.
  bool IsNamedModule(const std::string& path) const;

  std::string moduleFileName_;
  bool fail_ = false;
  std::optional<std::string> path_;
};

}  // namespace hostsim
