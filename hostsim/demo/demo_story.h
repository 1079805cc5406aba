// The whole foreign-sale story of the example shop, as the host program lives
// it with Kalwestrowka.dll: the load, installation, registration, the
// configuration command confirmed and then cancelled, two invoices in one
// document dialog (one with consigned goods), the JPK register, and the
// uninstallation. The demo tells it; the tests run it with parts of the host
// taken away.
#pragma once

#include <functional>
#include <string>

#include "host.h"

namespace hostsim {

struct StoryOptions {
  // Where the story is told, line by line in UTF-8; nowhere when empty.
  std::function<void(const std::string&)> say;
  // A host that goes on after the module refused installation or
  // registration, as far as the module let it register anything.
  bool goOnWhenRefused = false;
};

struct StoryOutcome {
  bool loaded = false;
  int installVerdict = -1;
  int registration = -1;
  bool ranToEnd = false;
};

// Plays the story against the host, which the caller has set up (and may
// have stripped of entries); the module is loaded and unloaded inside.
StoryOutcome RunForeignSaleStory(Host& host, const StoryOptions& options);

}  // namespace hostsim
