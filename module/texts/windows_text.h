// Mazovia texts bound for Windows (message boxes, the log) in code page 1250.
#pragma once

namespace kw {

// Converts in place with the host's HostConvertText(text, text, 1, 3); where the
// host cannot give that function without a bind-failure dialog, the module's
// own table of the Polish letters does the same.
void ConvertForWindows(char* text);

// The module's own conversion of the 18 Polish letters; ASCII stays.
void MazoviaToWindows1250(char* text);

}  // namespace kw
