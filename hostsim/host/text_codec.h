// Texts as the simulated host shows them: Mazovia (the host's code page) and
// Windows-1250 turned into UTF-8 for people, and UTF-8 test data turned into
// Mazovia for the host's records.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace hostsim {

std::string MazoviaToUtf8(std::string_view mazovia);
std::string Windows1250ToUtf8(std::string_view windows);
std::string MazoviaToWindows1250(std::string_view mazovia);
std::string Utf8ToMazovia(std::string_view utf8);  // letters outside the table become '?'

// A UTF-8 text put into a record's text area as zero-terminated Mazovia, cut to fit.
template <std::size_t N>
void PutMazovia(char (&area)[N], std::string_view utf8) {
  const std::string mazovia = Utf8ToMazovia(utf8);
  std::memset(area, 0, N);
  std::memcpy(area, mazovia.data(), std::min(mazovia.size(), N - 1));
}

}  // namespace hostsim
