#include "windows_boxes.h"

#include "code_patch.h"

namespace hostsim {
namespace {

int WINAPI MessageBoxReplacement(HWND, LPCSTR text, LPCSTR title, UINT style) {
  return WindowsBoxes::Intercept().Show(text, title, style);
}

}  // namespace

WindowsBoxes& WindowsBoxes::Intercept() {
  static WindowsBoxes* boxes = [] {
    PatchWithJump(SystemFunction("user32.dll", "MessageBoxA"), reinterpret_cast<const void*>(&MessageBoxReplacement));
    return new WindowsBoxes;
  }();
  return *boxes;
}

int WindowsBoxes::Show(const char* text, const char* title, UINT style) {
  WindowsBox box{title ? title : "", text ? text : "", style, IDABORT};
  if (const std::optional<int> scripted = answers_.Take()) {
    box.answer = *scripted;
  } else if (ask_) {
    box.answer = ask_(box);
  }
  shown_.push_back(std::move(box));
  return shown_.back().answer;
}

}  // namespace hostsim
