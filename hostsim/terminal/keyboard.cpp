#include "keyboard.h"

namespace hostsim::terminal {

namespace {

constexpr DWORD kSizeLookMs = 250;
constexpr uint16_t kFirstFunctionScan = 0x3B;  // F1; F2 .. F10 follow
constexpr uint16_t kF11Scan = 0x85;
constexpr uint16_t kF12Scan = 0x86;

Key Named(const KEY_EVENT_RECORD& event) {
  Key key;
  const WORD vk = event.wVirtualKeyCode;
  if (vk >= VK_F1 && vk <= VK_F12) {
    key.name = KeyName::Function;
    key.function = vk - VK_F1 + 1;
    return key;
  }
  switch (vk) {
    case VK_RETURN: key.name = KeyName::Enter; return key;
    case VK_ESCAPE: key.name = KeyName::Escape; return key;
    case VK_SPACE: key.name = KeyName::Space; return key;
    case VK_UP: key.name = KeyName::Up; return key;
    case VK_DOWN: key.name = KeyName::Down; return key;
    case VK_LEFT: key.name = KeyName::Left; return key;
    case VK_RIGHT: key.name = KeyName::Right; return key;
    case VK_TAB: key.name = KeyName::Tab; return key;
    case VK_PRIOR: key.name = KeyName::PageUp; return key;
    case VK_NEXT: key.name = KeyName::PageDown; return key;
    default: break;
  }
  if (event.uChar.UnicodeChar >= L' ') {
    key.name = KeyName::Character;
    key.character = event.uChar.UnicodeChar;
  }
  return key;
}

bool AsksForRepaint(const KEY_EVENT_RECORD& event) {
  return event.wVirtualKeyCode == 'L' && (event.dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED));
}

}  // namespace

uint16_t Key::HostCode() const {
  switch (name) {
    case KeyName::Function:
      if (function == 11) return kF11Scan << 8;
      if (function == 12) return kF12Scan << 8;
      return static_cast<uint16_t>((kFirstFunctionScan + function - 1) << 8);
    case KeyName::Enter: return '\r';
    case KeyName::Escape: return 0x1B;
    case KeyName::Space: return ' ';
    case KeyName::Tab: return '\t';
    case KeyName::Character: return character < 0x100 ? static_cast<uint16_t>(character) : 0;
    default: return 0;
  }
}

Keyboard::Keyboard(Screen& screen) : screen_(screen), in_(GetStdHandle(STD_INPUT_HANDLE)) {
  SetConsoleMode(in_, ENABLE_WINDOW_INPUT);
}

Key Keyboard::Read() {
  screen_.Show();
  for (;;) {
    if (WaitForSingleObject(in_, kSizeLookMs) != WAIT_OBJECT_0) {
      if (screen_.SizeChanged()) screen_.Repaint();
      continue;
    }
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(in_, &record, 1, &read) || read == 0) continue;
    if (record.EventType == WINDOW_BUFFER_SIZE_EVENT) {
      screen_.SizeChanged();
      screen_.Repaint();
      continue;
    }
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    if (AsksForRepaint(record.Event.KeyEvent)) {
      screen_.Repaint();
      continue;
    }
    const Key key = Named(record.Event.KeyEvent);
    if (key.name != KeyName::Other) return key;
  }
}

}  // namespace hostsim::terminal
