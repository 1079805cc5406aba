// What the story tells of the screen: the boxes, dialogs and error windows
// the host and Windows showed since the last look, one line each.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "host.h"

namespace hostsim {

// A host text without its markup bytes, in UTF-8.
std::string PlainHostText(std::string mazovia);

class StoryScreen {
 public:
  StoryScreen(Host& host, const std::function<void(const std::string&)>& say) : host_(host), say_(say) {}

  // Tells everything put on the screen since the last call.
  void Show();

 private:
  static std::string Indent(std::string text);
  void Say(const std::string& line) const;

  Host& host_;
  const std::function<void(const std::string&)>& say_;
  std::size_t boxes_ = 0, stock_ = 0, errors_ = 0, dialogs_ = 0, windows_ = 0;
};

}  // namespace hostsim
