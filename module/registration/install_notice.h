// The notice "Zainstalowano wtyczkę: ..." shown at the end of a registration,
// unless the host setting "Pytaj" of the section "Kalwestrowka" says not to.
#pragma once

#include <cstdint>

namespace kw {

// Always 0.
int ShowInstallNotice();

// Reads (mode 1, further argument: the address of an int) or writes (mode 2,
// further argument: the int) a host setting; the host's 16-bit status, 0 when done.
uint16_t AccessSetting(int mode, const char* section, const char* key, const char* format, ...);

}  // namespace kw
