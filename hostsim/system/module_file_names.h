// GetModuleFileNameA answered by the simulated system for Kalwestrowka.dll:
// as Windows answers it, not at all, or with another path. Calls about other
// modules get their real paths.
#pragma once

#include <optional>
#include <string>

namespace hostsim {

class ModuleFileNames {
 public:
  // Installs the replacement once per process; later calls reset what it answers.
  static ModuleFileNames& Intercept();

  // GetModuleFileNameA of the module answers 0, as when Windows cannot give the path.
  void Fail() { fail_ = true; }
  // It answers this path instead, copied as far as the buffer allows and
  // zero-terminated only when there is room, as older systems do.
  void Answer(std::string path) { path_ = std::move(path); }
  unsigned long Answer(void* module, char* buffer, unsigned long size) const;

 private:
  bool fail_ = false;
  std::optional<std::string> path_;
};

}  // namespace hostsim
