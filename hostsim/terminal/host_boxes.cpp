#include "host_boxes.h"

#include "host_interface.h"
#include "sim_messages.h"
#include "sim_settings.h"
#include "text_codec.h"
#include "windows_boxes.h"

namespace hostsim::terminal {

namespace {

constexpr int kHostOk = 1;
constexpr UINT kButtonsMask = 0x0F;
constexpr UINT kIconMask = 0xF0;
constexpr UINT kDefaultButtonMask = 0x0F00;

const Button ok{"OK", IDOK}, cancel{"Anuluj", IDCANCEL}, abort{"Przerwij", IDABORT}, retry{"Ponów próbę", IDRETRY},
    ignore{"Ignoruj", IDIGNORE}, yes{"Tak", IDYES}, no{"Nie", IDNO};

std::vector<Button> WindowsButtons(UINT style) {
  switch (style & kButtonsMask) {
    case MB_OKCANCEL: return {ok, cancel};
    case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    case MB_RETRYCANCEL: return {retry, cancel};
    default: return {ok};
  }
}

// A Windows text without markup: plain lines.
std::vector<TextLine> PlainLines(const std::string& utf8) {
  std::vector<TextLine> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = utf8.find('\n', start);
    std::string line = utf8.substr(start, end == std::string::npos ? end : end - start);
    std::erase(line, '\r');
    lines.push_back({{{0, line, false}}});
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

}  // namespace

std::string WindowsAnswerName(int answer) {
  for (const Button& button : {ok, cancel, abort, retry, ignore, yes, no}) {
    if (button.answer == answer) return button.label;
  }
  return std::to_string(answer);
}

void AnswerBoxesInteractively(Host& host, BoxWindow& window) {
  host.Use<SimMessages>().Interactive(
      [&window](const HostBox& box) {
        const std::vector<TextLine> lines = LayOutHostText(box.text);
        const std::string title = MazoviaToUtf8(box.title);
        if (box.style == kw::kWaitBoxStyle) {
          window.OpenWait(title, lines, kMessageLook);
          return 0;
        }
        const BoxLook look = (box.style & kw::kWarningBoxStyle) ? kWarningLook : kMessageLook;
        return window.Ask(title, lines, look, {{"OK", kHostOk}}, 0, kHostOk);
      },
      [&window] { window.CloseWait(); });

  host.Use<SimSettings>().Interactive([&window](int number, const std::string& text) {
    window.Ask("Komunikat programu (" + std::to_string(number) + ")", LayOutHostText(text), kMessageLook,
               {{"OK", kHostOk}}, 0, kHostOk);
  });

  WindowsBoxes::Intercept().Interactive([&window](const WindowsBox& box) {
    const std::vector<Button> buttons = WindowsButtons(box.style);
    const BoxLook look = (box.style & kIconMask) == MB_ICONHAND ? kWarningLook : kMessageLook;
    const std::size_t first = (box.style & kDefaultButtonMask) >> 8;
    return window.Ask(Windows1250ToUtf8(box.title), PlainLines(Windows1250ToUtf8(box.text)), look, buttons, first,
                      IDCANCEL);
  });
}

}  // namespace hostsim::terminal
