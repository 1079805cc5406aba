// The host's text markup, laid out for the screen. In message texts 0x02 opens
// and 0x01 closes a highlighted stretch; a line that begins with 0x01, the
// letter t, tab-stop entries and 0x01 sets the tab stops of its tab-separated
// columns (l18: the column's text starts at column 18; p25: it ends at column
// 25). In dialog item texts 0x05 opens the key-name highlight and 0x01 closes it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hostsim::terminal {

struct TextRun {
  int column;        // from the text's left edge
  std::string utf8;
  bool highlighted;
};

struct TextLine {
  std::vector<TextRun> runs;
  int Width() const;  // the column after the last character
};

// A Mazovia host text with markup, line by line.
std::vector<TextLine> LayOutHostText(std::string_view mazovia);

// The widest line.
int WidthOf(const std::vector<TextLine>& lines);

}  // namespace hostsim::terminal
