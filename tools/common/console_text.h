// Text output of the tools. The tools build their texts in UTF-8. Natively they
// go out as they are. On Windows a console gets them through WriteConsoleW, so
// Polish letters show whatever the console's code page; redirected output is
// converted to the console's code page (the OEM code page without a console),
// which is what `type`, `more` and batch files expect.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kw::tools {

// False when the text could not be written whole (the stream's error flag
// stays set for a later check as well).
bool WriteText(std::FILE* stream, std::string_view utf8);

// A path from the command line, as UTF-8 for the texts: on Windows the
// arguments come in the ANSI code page; natively they are taken as they are.
std::string DisplayPath(const std::string& path);

}  // namespace kw::tools
