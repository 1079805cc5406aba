// Polish texts are written in UTF-8 in the source and turned into the host's
// Mazovia code page at compile time: MZ("Uwaga") is a pointer to the
// zero-terminated Mazovia bytes. A letter outside ASCII and the Polish ones
// does not compile: the conversion then reaches one of the two functions below,
// which are not constexpr, and the compiler names it in its error.
#pragma once

#include <array>
#include <cstddef>

namespace kw::mazovia {

// Declared only: reaching either while converting a text fails the build.
void ThisLetterIsNotInTheMazoviaCodePage();
void OnlyOneAndTwoByteUtf8LettersAreExpected();

template <std::size_t N>
struct Utf8Literal {
  char bytes[N];
  consteval Utf8Literal(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
  }
};

constexpr unsigned char Letter(char32_t c) {
  if (c < 0x80) return static_cast<unsigned char>(c);
  switch (c) {
    case U'ą': return 0x86; case U'Ą': return 0x8F;
    case U'ć': return 0x8D; case U'Ć': return 0x95;
    case U'ę': return 0x91; case U'Ę': return 0x90;
    case U'ł': return 0x92; case U'Ł': return 0x9C;
    case U'ń': return 0xA4; case U'Ń': return 0xA5;
    case U'ó': return 0xA2; case U'Ó': return 0xA3;
    case U'ś': return 0x9E; case U'Ś': return 0x98;
    case U'ź': return 0xA6; case U'Ź': return 0xA0;
    case U'ż': return 0xA7; case U'Ż': return 0xA1;
  }
  ThisLetterIsNotInTheMazoviaCodePage();
  return 0;
}

// Decodes the UTF-8 sequence at text[i]; advances i.
template <std::size_t N>
constexpr char32_t Decode(const Utf8Literal<N>& text, std::size_t& i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text.bytes[k]); };
  const unsigned char lead = b(i);
  if (lead < 0x80) { i += 1; return lead; }
  if ((lead & 0xE0) == 0xC0 && i + 1 < N) {
    const char32_t c = (char32_t(lead & 0x1F) << 6) | (b(i + 1) & 0x3F);
    i += 2;
    return c;
  }
  OnlyOneAndTwoByteUtf8LettersAreExpected();
  return 0;
}

template <Utf8Literal S>
constexpr std::size_t Length() {
  constexpr std::size_t n = sizeof(S.bytes);
  std::size_t count = 0;
  for (std::size_t i = 0; i < n;) { Decode(S, i); ++count; }
  return count;  // the terminating zero included
}

template <Utf8Literal S>
struct Text {
  static constexpr std::array<char, Length<S>()> bytes = [] {
    std::array<char, Length<S>()> out{};
    std::size_t i = 0;
    for (char& c : out) c = static_cast<char>(Letter(Decode(S, i)));
    return out;
  }();
};

}  // namespace kw::mazovia

#define MZ(literal) (::kw::mazovia::Text<literal>::bytes.data())
#define MZ_ARRAY(literal) (::kw::mazovia::Text<literal>::bytes)
