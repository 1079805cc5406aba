// MessageBoxA answered by the simulated user: every box is recorded, and the
// answers come from a script (Abort when the script has run out).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "scripted_answers.h"

namespace hostsim {

struct WindowsBox {
  std::string title;  // Windows-1250 bytes as the module passed them
  std::string text;
  UINT style;
  int answer;
};

class WindowsBoxes {
 public:
  // Installs the replacement once per process; later calls reset the record.
  static WindowsBoxes& Intercept();

  void Answer(std::initializer_list<int> answers) { answers_.Add(answers); }
  // A person answers the boxes once the script has run out.
  void Interactive(std::function<int(const WindowsBox&)> ask) { ask_ = std::move(ask); }
  const std::vector<WindowsBox>& Shown() const { return shown_; }
  void Clear() {
    shown_.clear();
    answers_.Clear();
  }

  int Show(const char* text, const char* title, UINT style);

 private:
  ScriptedAnswers answers_;
  std::vector<WindowsBox> shown_;
  std::function<int(const WindowsBox&)> ask_;
};

}  // namespace hostsim
