#include "sim_messages.h"

#include <cstdio>

namespace hostsim {

namespace {

std::string Format(const char* format, va_list args) {
  if (!format) return "";
  char text[8192];
  std::vsnprintf(text, sizeof text, format, args);
  return text;
}

}  // namespace

SimMessages::SimMessages(Host& host) : host_(host) {
  host.On("HostMessageBox", [this](HostCall& call) { return PlainMessageBox(call); });
  host.On("HostMessageBoxFmtEx", [this](HostCall& call) { return MessageBoxFmtEx(call); });
  host.On("HostMessageBoxFmt", [this](HostCall& call) { return MessageBoxFmt(call); });
  host.On("HostMessageBoxFmtV", [this](HostCall& call) { return MessageBoxFmtV(call); });
  host.On("HostCloseWaitBox", [this](HostCall& call) { return CloseWaitBox(call); });
}

// HostMessageBox(title, text, style)
uint32_t SimMessages::PlainMessageBox(HostCall& call) {
  return Show("HostMessageBox", call.Text(0), call.Text(1), call.Int(2));
}

// HostMessageBoxFmtEx(code, title, format, flags, extra, ...)
uint32_t SimMessages::MessageBoxFmtEx(HostCall& call) {
  return Show("HostMessageBoxFmtEx", call.Text(1), Format(call.Ptr<const char>(2), call.VarArgs()), call.Int(3));
}

// HostMessageBoxFmt(title, format, flags, extra, ...)
uint32_t SimMessages::MessageBoxFmt(HostCall& call) {
  return Show("HostMessageBoxFmt", call.Text(0), Format(call.Ptr<const char>(1), call.VarArgs()), call.Int(2));
}

// HostMessageBoxFmtV(code, title, format, style, va_list)
uint32_t SimMessages::MessageBoxFmtV(HostCall& call) {
  return Show("HostMessageBoxFmtV", call.Text(1), Format(call.Ptr<const char>(2), call.Ptr<char>(4)), call.Int(3));
}

// HostCloseWaitBox(): closes the wait box that is open; a fault when none is.
uint32_t SimMessages::CloseWaitBox(HostCall&) {
  if (openWaitBoxes_ == 0 && !host_.Lacks("HostMessageBox")) {
    host_.ReportFault("HostCloseWaitBox without a wait box");
  }
  if (openWaitBoxes_ > 0) --openWaitBoxes_;
  if (waitBoxClosed_) waitBoxClosed_();
  return 0;
}

int SimMessages::Show(const char* function, std::string title, std::string text, int style) {
  if (style == kWaitBoxStyle) {
    ++openWaitBoxes_;
    shown_.push_back({function, std::move(title), std::move(text), style, 0});
    if (user_) user_(shown_.back());
    return 0;
  }
  HostBox box{function, std::move(title), std::move(text), style, 1};
  if (const std::optional<int> scripted = answers_.Take()) {
    box.answer = *scripted;
  } else if (user_) {
    box.answer = user_(box);
  }
  shown_.push_back(std::move(box));
  return shown_.back().answer;
}

}  // namespace hostsim
