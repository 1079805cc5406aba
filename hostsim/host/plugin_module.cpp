#include "plugin_module.h"

#include "call_checked.h"
#include "system_clock.h"

namespace hostsim {

PluginModule::~PluginModule() { Unload(); }

std::string PluginModule::PathNextToProgram() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + kFileName;
}

bool PluginModule::Load() { return Load(PathNextToProgram()); }

bool PluginModule::Load(const std::string& path) {
  if (!handle_) {
    handle_ = LoadLibraryA(path.c_str());
    // The module's journal is dated by the simulated system's clock.
    if (handle_) SystemClock::Intercept(handle_);
  }
  return handle_ != nullptr;
}

void PluginModule::Unload() {
  if (handle_) FreeLibrary(handle_);
  handle_ = nullptr;
}

const void* PluginModule::Export(uint16_t ordinal) const {
  return handle_ ? reinterpret_cast<const void*>(GetProcAddress(handle_, MAKEINTRESOURCEA(ordinal))) : nullptr;
}

int PluginModule::Install(const void* callback, char* description) {
  return static_cast<int>(CallModule("ModuleInstall", Export(30001), Convention::Std,
                                     {reinterpret_cast<uint32_t>(callback), reinterpret_cast<uint32_t>(description)}));
}

int PluginModule::Register(int flag) {
  return static_cast<int>(CallModule("ModuleRegister", Export(30008), Convention::Std, {static_cast<uint32_t>(flag)}));
}

uint32_t PluginModule::ExtraNoArgs(const std::vector<uint32_t>& args) {
  return CallModule("export 30009", Export(30009), Convention::Cdecl, args);
}

int PluginModule::ExtraOneArg(int value) {
  return static_cast<int>(CallModule("export 30010", Export(30010), Convention::Std, {static_cast<uint32_t>(value)}));
}

}  // namespace hostsim
