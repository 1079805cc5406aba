#include "sim_installation.h"

#include <windows.h>

#include <cstring>

namespace hostsim {

namespace {

HMODULE Talmer() { return GetModuleHandleA("TALMER.dll"); }

// The calling module's frame block: the address of entry 30007, "TALMER\0\0",
// the word, and the address of entry 30007 again.
uint32_t* FindFeaturesWord(const void* insideCaller) {
  HMODULE caller = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCSTR>(insideCaller), &caller)) {
    return nullptr;
  }
  const auto entry30007 = reinterpret_cast<uint32_t>(GetProcAddress(Talmer(), MAKEINTRESOURCEA(30007)));
  auto* base = reinterpret_cast<unsigned char*>(caller);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (int s = 0; s < nt->FileHeader.NumberOfSections; ++s, ++section) {
    if (!(section->Characteristics & IMAGE_SCN_MEM_WRITE)) continue;
    unsigned char* start = base + section->VirtualAddress;
    const std::size_t size = section->Misc.VirtualSize;
    for (std::size_t at = 0; at + 20 <= size; at += 4) {
      uint32_t first, last;
      std::memcpy(&first, start + at, 4);
      std::memcpy(&last, start + at + 16, 4);
      if (first == entry30007 && last == entry30007 && std::memcmp(start + at + 4, "TALMER\0\0", 8) == 0) {
        return reinterpret_cast<uint32_t*>(start + at + 12);
      }
    }
  }
  return nullptr;
}

}  // namespace

const void* SimInstallation::InstallCallback() {
  return reinterpret_cast<const void*>(GetProcAddress(Talmer(), MAKEINTRESOURCEA(30006)));
}

SimInstallation::SimInstallation(Host& host) : host_(host) {
  host.On("HostVerifyModule", [this](HostCall& call) { return VerifyModule(call); });
  host.On("HostGetInterfaceVersion", [this](HostCall& call) { return GetInterfaceVersion(call); });
  host.On(30006, [this](HostCall& call) { return ModuleCallback(call); });
}

// HostVerifyModule(module, reason buffer or null, size): 0, or 1 with the
// reason when the host refuses the module.
uint32_t SimInstallation::VerifyModule(HostCall& call) {
  if (!refused_) return 0;
  char* buffer = call.Ptr<char>(1);
  const int size = call.Int(2);
  if (buffer && size > 0) {
    const std::string reason = reason_.substr(0, size - 1);
    std::memcpy(buffer, reason.c_str(), reason.size() + 1);
  }
  return 1;
}

// HostGetInterfaceVersion(): the host's interface version.
uint32_t SimInstallation::GetInterfaceVersion(HostCall&) { return interfaceVersion_; }

// Entry 30006 (code, value): called back with (1, -1), the host writes the
// features it lacks into the calling module's frame block.
uint32_t SimInstallation::ModuleCallback(HostCall& call) {
  if (call.Int(0) == 1 && call.Int(1) == -1 && writeFeatures_) {
    const void* returnAddress = reinterpret_cast<const void*>(call.stack[-1]);
    featuresWord_ = FindFeaturesWord(returnAddress);
    if (featuresWord_) *featuresWord_ = missingFeatures_;
    else host_.ReportFault("the module's frame block was not found");
  }
  return 0;
}

}  // namespace hostsim
