// The host's numbers for the code pages HostConvertText converts between.
#pragma once

namespace kw {

inline constexpr int kHostCodeMazovia = 1;       // the host's own texts and the module's
inline constexpr int kHostCodeWindows1250 = 3;   // Windows' texts: message boxes, files

}  // namespace kw
