#include "text_codec.h"

#include <cstdint>

namespace hostsim {
namespace {

struct Letter {
  unsigned char mazovia;
  unsigned char windows;
  const char* utf8;
};
constexpr Letter kLetters[] = {
    {0x86, 0xB9, "ą"}, {0x8F, 0xA5, "Ą"}, {0x8D, 0xE6, "ć"}, {0x95, 0xC6, "Ć"}, {0x91, 0xEA, "ę"},
    {0x90, 0xCA, "Ę"}, {0x92, 0xB3, "ł"}, {0x9C, 0xA3, "Ł"}, {0xA4, 0xF1, "ń"}, {0xA5, 0xD1, "Ń"},
    {0xA2, 0xF3, "ó"}, {0xA3, 0xD3, "Ó"}, {0x9E, 0x9C, "ś"}, {0x98, 0x8C, "Ś"}, {0xA6, 0x9F, "ź"},
    {0xA0, 0x8F, "Ź"}, {0xA7, 0xBF, "ż"}, {0xA1, 0xAF, "Ż"},
};

// A byte that is neither ASCII nor a Polish letter is shown as \xNN.
void AppendUnknown(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

template <typename Pick>
std::string ToUtf8(std::string_view text, Pick pick) {
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
      continue;
    }
    const Letter* found = nullptr;
    for (const Letter& letter : kLetters) {
      if (pick(letter) == c) found = &letter;
    }
    if (found) out += found->utf8;
    else AppendUnknown(out, c);
  }
  return out;
}

}  // namespace

std::string MazoviaToUtf8(std::string_view mazovia) {
  return ToUtf8(mazovia, [](const Letter& l) { return l.mazovia; });
}

std::string Windows1250ToUtf8(std::string_view windows) {
  return ToUtf8(windows, [](const Letter& l) { return l.windows; });
}

std::string MazoviaToWindows1250(std::string_view mazovia) {
  std::string out(mazovia);
  for (char& ch : out) {
    for (const Letter& letter : kLetters) {
      if (static_cast<unsigned char>(ch) == letter.mazovia) {
        ch = static_cast<char>(letter.windows);
        break;
      }
    }
  }
  return out;
}

std::string Utf8ToMazovia(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += utf8[i++];
      continue;
    }
    const Letter* found = nullptr;
    for (const Letter& letter : kLetters) {
      if (utf8.substr(i, 2) == letter.utf8) found = &letter;
    }
    out += found ? static_cast<char>(found->mazovia) : '?';
    i += (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
  }
  return out;
}

}  // namespace hostsim
