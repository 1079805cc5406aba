// The terminal host's screen: 80x25 cells of the Windows console, drawn in a
// buffer and put on the console at once, in the host's colours.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace hostsim::terminal {

inline constexpr int kColumns = 80;
inline constexpr int kRows = 25;

// Console attributes of the host's screens.
inline constexpr WORD kDesk = BACKGROUND_BLUE | FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;
inline constexpr WORD kDeskHighlight = BACKGROUND_BLUE | FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_INTENSITY;
inline constexpr WORD kBar = BACKGROUND_GREEN | BACKGROUND_BLUE;
inline constexpr WORD kBarKey = BACKGROUND_GREEN | BACKGROUND_BLUE | FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE | FOREGROUND_INTENSITY;
inline constexpr WORD kWindow = BACKGROUND_RED | BACKGROUND_GREEN | BACKGROUND_BLUE;
inline constexpr WORD kWindowHighlight = BACKGROUND_RED | BACKGROUND_GREEN | BACKGROUND_BLUE | FOREGROUND_RED;
inline constexpr WORD kWarning = BACKGROUND_RED | FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE | FOREGROUND_INTENSITY;
inline constexpr WORD kWarningHighlight = BACKGROUND_RED | FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_INTENSITY;
inline constexpr WORD kSelected = BACKGROUND_GREEN | BACKGROUND_BLUE | FOREGROUND_INTENSITY;
inline constexpr WORD kField = BACKGROUND_BLUE | BACKGROUND_GREEN | FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE | FOREGROUND_INTENSITY;

struct Area {
  int left, top, width, height;
};

// An area of the given size in the middle of the screen.
Area Centred(int width, int height);

class Screen {
 public:
  Screen();

  void Fill(Area area, WORD colour);
  // UTF-8 text from a cell on, cut at the screen's edge and, when given, after
  // `width` columns; answers the columns it took.
  int Text(int column, int row, std::string_view utf8, WORD colour, int width = kColumns);
  // A frame around the area with the title in its top line.
  void Frame(Area area, std::string_view titleUtf8, WORD colour);
  // A window: the area filled and framed.
  void Window(Area area, std::string_view titleUtf8, WORD colour);

  // The cells as they are now, to put back what a window covered.
  std::vector<CHAR_INFO> Cells() const { return cells_; }
  void Restore(const std::vector<CHAR_INFO>& cells) { cells_ = cells; }

  // Puts the buffer on the console.
  void Show();
  // Puts everything on the console again, as after a resize: first blank,
  // then the buffer, so that a terminal gets every cell anew.
  void Repaint();
  // True when the console's size changed since the last look.
  bool SizeChanged();

 private:
  void Write(const std::vector<CHAR_INFO>& cells);

  HANDLE out_;
  std::vector<CHAR_INFO> cells_;
  COORD size_{};
};

// Columns that a UTF-8 text takes (one per character).
int Width(std::string_view utf8);

}  // namespace hostsim::terminal
