// Windows builds only. The MinGW thread library, which the tools' C++ runtime
// pulls in, imports GetTickCount64 (Windows Vista on), and the tools run at
// shops on Windows XP as well. The link takes this import cell instead of the
// system's: GetTickCount widened, which wraps after 49.7 days of uptime; the
// thread library only measures timed waits with it, which the tools never do.
#include <windows.h>

namespace {
ULONGLONG WINAPI TickCountSinceStart() { return GetTickCount(); }
}  // namespace

extern "C" ULONGLONG(WINAPI* const XpTickCount64Cell)() __asm__("__imp__GetTickCount64@0");
extern "C" ULONGLONG(WINAPI* const XpTickCount64Cell)() = TickCountSinceStart;
