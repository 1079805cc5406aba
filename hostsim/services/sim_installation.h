// What the host answers when it installs a module: its own verdict on the
// module, its interface version, and the features it lacks, which it writes
// into the module's frame block when the module calls it back with (1, -1).
#pragma once

#include <cstdint>
#include <string>

#include "host.h"

namespace hostsim {

inline constexpr int kHostInterfaceVersion = 112;

class SimInstallation : public HostComponent {
 public:
  explicit SimInstallation(Host& host);

  // A nonzero verdict refuses the module, with the reason (Mazovia) given.
  void Refuse(std::string reason) {
    refused_ = true;
    reason_ = std::move(reason);
  }
  void SetInterfaceVersion(int version) { interfaceVersion_ = version; }
  void SetMissingFeatures(uint32_t features) { missingFeatures_ = features; }
  // A host that never answers the callback: the module's word keeps 0xFFFFFFFF.
  void NeverWriteMissingFeatures() { writeFeatures_ = false; }
  // Where the last callback found the module's missing-features word, or null.
  const uint32_t* FeaturesWord() const { return featuresWord_; }

  // The callback a host hands to ModuleInstall: its entry 30006.
  static const void* InstallCallback();

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t VerifyModule(HostCall& call);
  uint32_t GetInterfaceVersion(HostCall& call);
  uint32_t ModuleCallback(HostCall& call);

  Host& host_;
  bool refused_ = false;
  std::string reason_;
  int interfaceVersion_ = kHostInterfaceVersion;
  uint32_t missingFeatures_ = 0;
  bool writeFeatures_ = true;
  uint32_t* featuresWord_ = nullptr;
};

}  // namespace hostsim
