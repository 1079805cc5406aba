// Kalwestrowka.dll loaded into the simulated host's process and driven through
// its exported ordinals, every call checked.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

class PluginModule {
 public:
  static constexpr const char* kFileName = "Kalwestrowka.dll";

  PluginModule() = default;
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // LoadLibrary of the module next to the program; false when the load failed.
  bool Load();
  bool Load(const std::string& path);
  void Unload();
  HMODULE handle() const { return handle_; }
  static std::string PathNextToProgram();

  const void* Export(uint16_t ordinal) const;

  int Install(const void* callback, char* description);  // 30001
  int Register(int flag);                                 // 30008
  uint32_t ExtraNoArgs(const std::vector<uint32_t>& args = {});  // 30009
  int ExtraOneArg(int value);                             // 30010

 private:
  HMODULE handle_ = nullptr;
};

}  // namespace hostsim
