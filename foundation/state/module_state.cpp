#include "module_state.h"

#include "frame_block.h"
#include "raw_attach.h"

extern "C" {
// Code of the fallbacks (host_entries.S), taken by address only.
extern const unsigned char KwReturnZero0[];
extern const unsigned char KwReturnZero1[];
extern const unsigned char KwReturnZero2[];
extern const unsigned char KwReturnZero3[];
extern const unsigned char KwReturnZero4[];
extern const unsigned char KwReturnZero5[];
extern const unsigned char KwReturnZero6[];
extern const unsigned char KwReturnZero7[];
extern const unsigned char KwReturnZero8[];
extern const unsigned char KwReturnZero9[];
extern const unsigned char KwReturnZero10[];
extern const unsigned char KwReturnZero11[];
extern const unsigned char KwReturnZero12[];
extern const unsigned char KwReturnZero13[];
extern const unsigned char KwReturnZero14[];
// The same code as fallback 0, typed as the secondary callback it stands in for.
int __cdecl KwSecondaryFallback(int first, int second);
void* ExtraHandlerNoArgs = nullptr;
void* ExtraHandlerOneArg = nullptr;
}

namespace kw {

HINSTANCE ModuleHandle = nullptr;
char ModulePath[kModulePathSize] = {};
const char* ModuleFileName = nullptr;
HMODULE HostModule = nullptr;
HostModuleCallbackFn* HostModuleCallback = nullptr;
bool ModuleUninstalled = false;

constinit ModuleFrameBlock ModuleFrame = {
    RawAttachHook,
    KwSecondaryFallback,
    {'T', 'A', 'L', 'M', 'E', 'R', 0, 0},
    0xFFFFFFFFu,
    KwSecondaryFallback,
    {KwReturnZero0, KwReturnZero1, KwReturnZero2, KwReturnZero3,
     KwReturnZero4, KwReturnZero5, KwReturnZero6, KwReturnZero7,
     KwReturnZero8, KwReturnZero9, KwReturnZero10, KwReturnZero11,
     KwReturnZero12, KwReturnZero13, KwReturnZero14},
};

}  // namespace kw
