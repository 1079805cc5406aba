#include "call_checked.h"

#include "host.h"
#include "host_time.h"

extern "C" uint32_t __cdecl SimCallChecked(const void* function, const uint32_t* args, int argc, uint32_t ecx,
                                           int calleeCleans, hostsim::SimCallCheck* out);

namespace hostsim {

CheckedResult CallChecked(const void* function, Convention convention, const std::vector<uint32_t>& args,
                          uint32_t thisValue) {
  CheckedResult result{};
  const HostTimeScope inModule(false);
  result.value = SimCallChecked(function, args.data(), static_cast<int>(args.size()), thisValue,
                                convention == Convention::Cdecl ? 0 : 1, &result.check);
  return result;
}

uint32_t CallModule(const std::string& what, const void* function, Convention convention,
                    const std::vector<uint32_t>& args, uint32_t thisValue) {
  const CheckedResult result = CallChecked(function, convention, args, thisValue);
  if (result.check.espDelta != 0) {
    Host::Get().ReportFault(what + ": the stack pointer is off by " + std::to_string(result.check.espDelta) +
                            " bytes after the call");
  }
  if (result.check.brokenRegisters != 0) {
    Host::Get().ReportFault(what + ": callee-saved registers changed (mask " +
                            std::to_string(result.check.brokenRegisters) + ")");
  }
  return result.value;
}

}  // namespace hostsim
