#include "host_markup.h"

#include <algorithm>

#include "screen.h"
#include "text_codec.h"

namespace hostsim::terminal {

namespace {

constexpr char kHighlightOn = '\x02';
constexpr char kKeyHighlightOn = '\x05';
constexpr char kHighlightOff = '\x01';
constexpr int kPlainTab = 8;

struct TabStop {
  bool rightAligned;
  int column;
};

// The runs of one cell of text (no tab, no line end), from column 0 on; the
// highlight goes on from the cell before.
std::vector<TextRun> CellRuns(std::string_view mazovia, bool& highlighted) {
  std::vector<TextRun> runs;
  int column = 0;
  std::string pending;
  auto flush = [&] {
    if (pending.empty()) return;
    const std::string utf8 = MazoviaToUtf8(pending);
    runs.push_back({column, utf8, highlighted});
    column += Width(utf8);
    pending.clear();
  };
  for (const char c : mazovia) {
    if (c == kHighlightOn || c == kKeyHighlightOn || c == kHighlightOff) {
      flush();
      highlighted = c != kHighlightOff;
    } else {
      pending += c;
    }
  }
  flush();
  return runs;
}

int RunsWidth(const std::vector<TextRun>& runs) {
  return runs.empty() ? 0 : runs.back().column + Width(runs.back().utf8);
}

// "\x01tl18l33\x01": the stops, and the rest of the line after them.
std::vector<TabStop> TabStops(std::string_view& line) {
  std::vector<TabStop> stops;
  if (line.size() < 2 || line[0] != kHighlightOff || line[1] != 't') return stops;
  const std::size_t end = line.find(kHighlightOff, 2);
  if (end == std::string_view::npos) return stops;
  const std::string_view entries = line.substr(2, end - 2);
  for (std::size_t at = 0; at < entries.size();) {
    const char kind = entries[at++];
    int column = 0;
    while (at < entries.size() && entries[at] >= '0' && entries[at] <= '9') column = column * 10 + (entries[at++] - '0');
    if (kind == 'l' || kind == 'p') stops.push_back({kind == 'p', column});
  }
  line.remove_prefix(end + 1);
  return stops;
}

TextLine LayOutLine(std::string_view line, bool& highlighted) {
  const std::vector<TabStop> stops = TabStops(line);
  TextLine laid;
  int cell = 0;
  for (std::size_t start = 0;; ++cell) {
    const std::size_t tab = line.find('\t', start);
    std::vector<TextRun> runs = CellRuns(line.substr(start, tab == std::string_view::npos ? tab : tab - start),
                                         highlighted);
    const int width = RunsWidth(runs);
    const int after = laid.Width();
    int column = after;
    if (cell > 0 && cell - 1 < static_cast<int>(stops.size())) {
      const TabStop stop = stops[cell - 1];
      column = stop.rightAligned ? stop.column - width : stop.column;
    } else if (cell > 0) {
      column = (after / kPlainTab + 1) * kPlainTab;
    }
    column = std::max(column, cell > 0 ? after + 1 : 0);
    for (TextRun& run : runs) {
      run.column += column;
      laid.runs.push_back(std::move(run));
    }
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return laid;
}

}  // namespace

int TextLine::Width() const { return RunsWidth(runs); }

std::vector<TextLine> LayOutHostText(std::string_view mazovia) {
  std::vector<TextLine> lines;
  bool highlighted = false;
  for (std::size_t start = 0;;) {
    const std::size_t end = mazovia.find('\n', start);
    lines.push_back(LayOutLine(mazovia.substr(start, end == std::string_view::npos ? end : end - start), highlighted));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  while (lines.size() > 1 && lines.back().runs.empty()) lines.pop_back();
  return lines;
}

int WidthOf(const std::vector<TextLine>& lines) {
  int width = 0;
  for (const TextLine& line : lines) width = std::max(width, line.Width());
  return width;
}

}  // namespace hostsim::terminal
