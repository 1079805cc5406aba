// Text output of the tools. The tools build their texts in UTF-8. Natively they
// go out as they are. On Windows a console gets them through WriteConsoleW, so
// Polish letters show whatever the console's code page; redirected output is
// converted to the console's code page (the OEM code page without a console),
// which is what `type`, `more` and batch files expect.
#pragma once

#include <cstdio>
#include <string_view>

namespace kw::tools {

void WriteText(std::FILE* stream, std::string_view utf8);

}  // namespace kw::tools
