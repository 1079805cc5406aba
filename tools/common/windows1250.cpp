#include "windows1250.h"

#include <cstdint>

namespace kw::tools {

namespace {

constexpr char32_t kUndefined = 0xFFFD;
constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// The characters of bytes 0x80..0xFF; below 0x80 the code page is ASCII.
constexpr char16_t kUpperHalf[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021,
    0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character at `at` and the bytes it takes; kNotUtf8 and 1 byte when
// the bytes there are not UTF-8 (overlong forms and surrogates included).
char32_t NextUtf8(std::string_view text, std::size_t at, std::size_t& length) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  length = 1;
  if (lead < 0x80) return lead;
  std::size_t need;
  char32_t c;
  char32_t least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3, c = lead & 0x07, least = 0x10000;
  } else {
    return kNotUtf8;
  }
  if (at + need >= text.size()) return kNotUtf8;
  for (std::size_t i = 1; i <= need; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return kNotUtf8;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kNotUtf8;
  length = need + 1;
  return c;
}

}  // namespace

void AppendCp1250AsUtf8(std::string_view cp1250, std::string& utf8) {
  for (const char ch : cp1250) {
    const uint8_t byte = static_cast<uint8_t>(ch);
    AppendUtf8(byte < 0x80 ? byte : kUpperHalf[byte - 0x80], utf8);
  }
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
  std::string utf8;
  utf8.reserve(cp1250.size());
  AppendCp1250AsUtf8(cp1250, utf8);
  return utf8;
}

std::string Utf8ToCp1250(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length;
    const char32_t c = NextUtf8(utf8, at, length);
    at += length;
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    char found = '?';
    for (int i = 0; i < 128 && c != kUndefined; ++i) {
      if (kUpperHalf[i] == c) {
        found = static_cast<char>(0x80 + i);
        break;
      }
    }
    out += found;
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length;
    if (NextUtf8(text, at, length) == kNotUtf8) return false;
    at += length;
  }
  return true;
}

}  // namespace kw::tools

namespace kw::tools {

char32_t Cp1250Char(unsigned char byte) { return byte < 0x80 ? byte : kUpperHalf[byte - 0x80]; }

}  // namespace kw::tools
