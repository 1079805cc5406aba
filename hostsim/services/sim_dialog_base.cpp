#include "sim_dialog_base.h"

#include <cstring>

#include "guarded_memory.h"

namespace hostsim {

namespace {
constexpr unsigned char kBaseFill = 0xDB;  // the host's own bytes after the table pointer
const void* const hostVirtualTable[35] = {};
}  // namespace

const void* SimDialogBase::HostVirtualTable() { return hostVirtualTable; }

SimDialogBase::SimDialogBase(Host& host)
    : host_(host), stateLong_(NewGuarded<uint32_t>()), stateWord_(NewGuarded<uint16_t>()) {
  *stateLong_ = 0x5EED0001;
  *stateWord_ = 0x5E02;
  host.On("HostGetStateLongPtr", [this](HostCall& call) { return GetStateLongPtr(call); });
  host.On("HostGetStateWordPtr", [this](HostCall& call) { return GetStateWordPtr(call); });
  host.On("HostConstructDialogBase", [this](HostCall& call) { return ConstructDialogBase(call); });
  host.On("HostDestroyDialogBase", [this](HostCall& call) { return DestroyDialogBase(call); });
}

// HostGetStateLongPtr(): the host's long state cell.
uint32_t SimDialogBase::GetStateLongPtr(HostCall&) { return reinterpret_cast<uint32_t>(stateLong_); }

// HostGetStateWordPtr(): the host's word state cell.
uint32_t SimDialogBase::GetStateWordPtr(HostCall&) { return reinterpret_cast<uint32_t>(stateWord_); }

// HostConstructDialogBase(object): the host's table pointer and its own bytes
// in the base part; the object.
uint32_t SimDialogBase::ConstructDialogBase(HostCall& call) {
  auto* object = call.Ptr<unsigned char>(0);
  const void* table = hostVirtualTable;
  std::memcpy(object, &table, sizeof table);
  std::memset(object + sizeof table, kBaseFill, kDialogBaseSize - sizeof table);
  live_.insert(object);
  ++constructed_;
  return call.Arg(0);
}

// HostDestroyDialogBase(object): a fault when the base was not built or the
// module changed the host's bytes of it.
uint32_t SimDialogBase::DestroyDialogBase(HostCall& call) {
  auto* object = call.Ptr<unsigned char>(0);
  if (!live_.erase(object)) {
    host_.ReportFault("HostDestroyDialogBase on an object whose base was not built");
    return 0;
  }
  for (int i = sizeof(void*); i < kDialogBaseSize; ++i) {
    if (object[i] != kBaseFill) {
      host_.ReportFault("the module changed byte " + std::to_string(i) + " of the WDialogBase part");
      break;
    }
  }
  ++destroyed_;
  return 0;
}

SimDialogBase::~SimDialogBase() {
  ReleaseGuarded(stateLong_);
  ReleaseGuarded(stateWord_);
}

}  // namespace hostsim
