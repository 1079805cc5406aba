// What every screen of the terminal host works with: the simulated host, the
// screen and keyboard, the boxes, and the example shop.
#pragma once

#include <string>
#include <vector>

#include "box_window.h"
#include "example_shop.h"
#include "host.h"
#include "keyboard.h"
#include "screen.h"

namespace hostsim::terminal {

struct KeyHint {
  std::string key;   // shown highlighted
  std::string what;
};

class Session {
 public:
  Session(Host& host, Screen& screen, Keyboard& keyboard, BoxWindow& boxes, ExampleShop& shop)
      : host(host), screen(screen), keyboard(keyboard), boxes(boxes), shop(shop) {}

  // The desk: the program's bar with the screen's title on top, the keys of
  // the screen at the bottom, blue in between.
  void Desk(const std::string& title, const std::vector<KeyHint>& keys);
  // What went wrong since the last look: the faults the host saw in the
  // module's behaviour and the errors the module reported, in a warning box.
  void ShowNewFaults();

  Host& host;
  Screen& screen;
  Keyboard& keyboard;
  BoxWindow& boxes;
  ExampleShop& shop;

 private:
  std::size_t faultsSeen_ = 0;
  std::size_t errorsSeen_ = 0;
};

}  // namespace hostsim::terminal
