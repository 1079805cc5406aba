// Framed windows in the middle of the screen: a text laid out from the host's
// markup, and buttons the person picks with the arrows and Enter; a window
// without buttons (the wait box) stays until it is closed.
#pragma once

#include <string>
#include <vector>

#include "host_markup.h"
#include "keyboard.h"
#include "screen.h"

namespace hostsim::terminal {

struct BoxLook {
  WORD body;
  WORD highlight;
};
inline constexpr BoxLook kMessageLook{kWindow, kWindowHighlight};
inline constexpr BoxLook kWarningLook{kWarning, kWarningHighlight};

struct Button {
  std::string label;  // UTF-8
  int answer;
};

class BoxWindow {
 public:
  BoxWindow(Screen& screen, Keyboard& keyboard) : screen_(screen), keyboard_(keyboard) {}

  // The window until the person picks a button: its answer. Esc picks
  // `escapeAnswer` when that is one of the buttons' answers.
  int Ask(const std::string& title, const std::vector<TextLine>& lines, BoxLook look,
          const std::vector<Button>& buttons, std::size_t defaultButton = 0, int escapeAnswer = -1);

  // A window without buttons, on the screen until CloseWait; it stays at
  // least `minimumMs` so that a person can read it.
  void OpenWait(const std::string& title, const std::vector<TextLine>& lines, BoxLook look);
  void CloseWait();
  void SetWaitMinimum(DWORD ms) { waitMinimumMs_ = ms; }

 private:
  Area Draw(const std::string& title, const std::vector<TextLine>& lines, BoxLook look, int buttonsWidth);
  void DrawButtons(Area area, const std::vector<Button>& buttons, std::size_t chosen, BoxLook look);

  struct OpenWaitBox {
    std::vector<CHAR_INFO> covered;
    DWORD openedAt;
  };

  Screen& screen_;
  Keyboard& keyboard_;
  std::vector<OpenWaitBox> waits_;
  DWORD waitMinimumMs_ = 1500;
};

}  // namespace hostsim::terminal
