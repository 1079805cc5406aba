// Keys from the Windows console, named as the host's screens use them, and the
// host's key codes (a character key is its character code, a function key its
// keyboard scan code times 256: F2 = 0x3C00, F12 = 0x8600).
#pragma once

#include <cstdint>

#include "screen.h"

namespace hostsim::terminal {

enum class KeyName { Other, Character, Function, Enter, Escape, Space, Up, Down, Left, Right, Tab, PageUp, PageDown };

struct Key {
  KeyName name = KeyName::Other;
  int function = 0;        // 1 to 12 for a function key
  wchar_t character = 0;   // for a character key

  bool IsFunction(int number) const { return name == KeyName::Function && function == number; }
  uint16_t HostCode() const;
};

class Keyboard {
 public:
  explicit Keyboard(Screen& screen);
  // Waits for the next key. Meanwhile, when the console changes its size (or
  // the person asks with Ctrl+L), the screen is put on it again.
  Key Read();

 private:
  Screen& screen_;
  HANDLE in_;
};

}  // namespace hostsim::terminal
