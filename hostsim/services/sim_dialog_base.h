// The host's side of the module's dialog objects: WDialogBase built and torn
// down on the module's object, and the two host state cells the object saves
// and restores.
#pragma once

#include <cstdint>
#include <set>

#include "host.h"

namespace hostsim {

inline constexpr int kDialogBaseSize = 64;

class SimDialogBase : public HostComponent {
 public:
  explicit SimDialogBase(Host& host);
  ~SimDialogBase() override;

  uint32_t& StateLong() { return *stateLong_; }
  uint16_t& StateWord() { return *stateWord_; }
  int LiveObjects() const { return static_cast<int>(live_.size()); }
  int Constructed() const { return constructed_; }
  int Destroyed() const { return destroyed_; }
  // The host's own table of virtual operations, which a base part starts with.
  static const void* HostVirtualTable();

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t GetStateLongPtr(HostCall& call);
  uint32_t GetStateWordPtr(HostCall& call);
  uint32_t ConstructDialogBase(HostCall& call);
  uint32_t DestroyDialogBase(HostCall& call);

  Host& host_;
  uint32_t* stateLong_;
  uint16_t* stateWord_;
  std::set<const void*> live_;
  int constructed_ = 0;
  int destroyed_ = 0;
};

}  // namespace hostsim
