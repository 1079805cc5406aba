// The host's message boxes: every box recorded with its Mazovia texts and
// answered from the simulated user's script (1, OK, when it has run out); wait
// boxes (style 512) stay open until HostCloseWaitBox.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host.h"
#include "scripted_answers.h"

namespace hostsim {

struct HostBox {
  std::string function;  // which message function showed it
  std::string title;     // Mazovia
  std::string text;      // Mazovia, formatted
  int style;
  int answer;
};

inline constexpr int kWaitBoxStyle = 512;

class SimMessages : public HostComponent {
 public:
  explicit SimMessages(Host& host);

  void Answer(std::initializer_list<int> answers) { answers_.Add(answers); }
  // A person at the screen: sees each box as it opens (a wait box too) and
  // answers it when no scripted answer is left; told when a wait box closes.
  void Interactive(std::function<int(const HostBox&)> show, std::function<void()> waitBoxClosed) {
    user_ = std::move(show);
    waitBoxClosed_ = std::move(waitBoxClosed);
  }
  const std::vector<HostBox>& Shown() const { return shown_; }
  int OpenWaitBoxes() const { return openWaitBoxes_; }

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t PlainMessageBox(HostCall& call);
  uint32_t MessageBoxFmtEx(HostCall& call);
  uint32_t MessageBoxFmt(HostCall& call);
  uint32_t MessageBoxFmtV(HostCall& call);
  uint32_t CloseWaitBox(HostCall& call);

  int Show(const char* function, std::string title, std::string text, int style);

  Host& host_;
  ScriptedAnswers answers_;
  std::vector<HostBox> shown_;
  int openWaitBoxes_ = 0;
  std::function<int(const HostBox&)> user_;
  std::function<void()> waitBoxClosed_;
};

}  // namespace hostsim
