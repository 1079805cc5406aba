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
  int answer = IDABORT;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  shown_.push_back({title ? title : "", text ? text : "", style, answer});
  return answer;
}

}  // namespace hostsim
