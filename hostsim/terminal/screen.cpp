#include "screen.h"

#include <algorithm>
#include <string>

namespace hostsim::terminal {

namespace {

std::wstring Wide(std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(std::max(length, 0));
  return wide;
}

COORD ConsoleSize(HANDLE out) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(out, &info)) return {0, 0};
  return {static_cast<SHORT>(info.srWindow.Right - info.srWindow.Left + 1),
          static_cast<SHORT>(info.srWindow.Bottom - info.srWindow.Top + 1)};
}

}  // namespace

int Width(std::string_view utf8) { return static_cast<int>(Wide(utf8).size()); }

Area Centred(int width, int height) {
  width = std::min(width, kColumns);
  height = std::min(height, kRows);
  return {(kColumns - width) / 2, (kRows - height) / 2, width, height};
}

Screen::Screen() : out_(GetStdHandle(STD_OUTPUT_HANDLE)), cells_(kColumns * kRows) {
  size_ = ConsoleSize(out_);
  CONSOLE_CURSOR_INFO cursor{1, FALSE};
  SetConsoleCursorInfo(out_, &cursor);
  Fill({0, 0, kColumns, kRows}, kDesk);
}

void Screen::Fill(Area area, WORD colour) {
  for (int row = std::max(area.top, 0); row < std::min(area.top + area.height, kRows); ++row) {
    for (int column = std::max(area.left, 0); column < std::min(area.left + area.width, kColumns); ++column) {
      cells_[row * kColumns + column].Char.UnicodeChar = L' ';
      cells_[row * kColumns + column].Attributes = colour;
    }
  }
}

int Screen::Text(int column, int row, std::string_view utf8, WORD colour, int width) {
  if (row < 0 || row >= kRows) return 0;
  const std::wstring wide = Wide(utf8);
  int taken = 0;
  for (wchar_t c : wide) {
    if (taken >= width || column + taken >= kColumns) break;
    if (column + taken >= 0) {
      CHAR_INFO& cell = cells_[row * kColumns + column + taken];
      cell.Char.UnicodeChar = c;
      cell.Attributes = colour;
    }
    ++taken;
  }
  return taken;
}

void Screen::Frame(Area area, std::string_view titleUtf8, WORD colour) {
  const int right = area.left + area.width - 1;
  const int bottom = area.top + area.height - 1;
  std::string line;
  for (int i = 2; i < area.width; ++i) line += "═";
  Text(area.left, area.top, "╔" + line + "╗", colour);
  Text(area.left, bottom, "╚" + line + "╝", colour);
  for (int row = area.top + 1; row < bottom; ++row) {
    Text(area.left, row, "║", colour);
    Text(right, row, "║", colour);
  }
  if (!titleUtf8.empty()) {
    const std::string title = " " + std::string(titleUtf8) + " ";
    Text(area.left + std::max((area.width - Width(title)) / 2, 1), area.top, title, colour, area.width - 2);
  }
}

void Screen::Window(Area area, std::string_view titleUtf8, WORD colour) {
  Fill(area, colour);
  Frame(area, titleUtf8, colour);
}

void Screen::Write(const std::vector<CHAR_INFO>& cells) {
  SMALL_RECT region{0, 0, kColumns - 1, kRows - 1};
  WriteConsoleOutputW(out_, cells.data(), {kColumns, kRows}, {0, 0}, &region);
}

void Screen::Show() { Write(cells_); }

void Screen::Repaint() {
  std::vector<CHAR_INFO> blank(cells_.size());
  for (CHAR_INFO& cell : blank) cell = {{L' '}, 0};
  Write(blank);
  Write(cells_);
}

bool Screen::SizeChanged() {
  const COORD now = ConsoleSize(out_);
  const bool changed = now.X != size_.X || now.Y != size_.Y;
  size_ = now;
  return changed;
}

}  // namespace hostsim::terminal
