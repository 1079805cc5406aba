#include "host_classes.h"

#include "module_state.h"

namespace kw {

int RegisterThunkAllocatorClass() {
  return HostRegisterClass(ModuleHandle, "ThunkAllocator", HostThunkAllocatorClassData, 0x103);
}

int RegisterDialogBaseClass() {
  return HostRegisterClass(ModuleHandle, "WDialogBase", HostDialogBaseClassData, 0x101);
}

}  // namespace kw
