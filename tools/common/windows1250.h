// Windows-1250, the code page of Polish Windows programs and of the files
// they write, to and from the tools' UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kw::tools {

// Appends the text in UTF-8; a byte the code page leaves undefined becomes
// U+FFFD.
void AppendCp1250AsUtf8(std::string_view cp1250, std::string& utf8);
std::string Cp1250ToUtf8(std::string_view cp1250);

// A character the code page lacks, and a byte that is not UTF-8, become '?'.
std::string Utf8ToCp1250(std::string_view utf8);

bool IsUtf8(std::string_view text);

// The character of a Windows-1250 byte (U+FFFD where the code page has none).
char32_t Cp1250Char(unsigned char byte);

}  // namespace kw::tools
