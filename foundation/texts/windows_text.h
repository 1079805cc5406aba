// Mazovia texts bound for Windows (message boxes) in code page 1250, without
// the host: the bind-failure dialog uses it where the host's HostConvertText
// cannot be had (host_binding.cpp).
#pragma once

namespace kw {

// The module's own conversion of the 18 Polish letters; ASCII stays.
void MazoviaToWindows1250(char* text);

}  // namespace kw
