// What the relay writes of each catalogue row's parameters and answer: a
// letter a kind, from the parameter types, so that a reader of the trace
// (the playback) knows them as the relay does.
#pragma once

#include <cstdint>

#include "host_catalogue.h"
#include "host_records.h"
#include "record_fields.h"

namespace kw {

// One letter a parameter: s text, o text the host writes, v va_list,
// t table, n count by address (an int* named a count, or an answer), p other
// address, i number; . more arguments.
template <typename T> struct Kind { static constexpr char letter = 'i'; };
template <typename T> struct Kind<T*> { static constexpr char letter = 'p'; };
template <> struct Kind<const char*> { static constexpr char letter = 's'; };
template <> struct Kind<char*> { static constexpr char letter = 'o'; };
template <> struct Kind<HostTable*> { static constexpr char letter = 't'; };
template <> struct Kind<int*> { static constexpr char letter = 'n'; };
template <> struct Kind<void> { static constexpr char letter = '-'; };
template <> struct Kind<uint16_t> { static constexpr char letter = 'w'; };

inline constexpr int kVariadicCopy = 64;  // bytes copied after the named arguments
// A kind's letter by its number; 0 ends a row's kinds.
inline constexpr char kLetters[] = {'\0', 's', 'o', 'v', 't', 'n', 'p', 'i', 'w', '-', '.'};
inline constexpr uint32_t kKindCount = sizeof kLetters;

// Each row's kinds, a number of 4 bits each (0 ends them): the answer's, then
// the parameters'; the ordinal; the bytes the relay copies for the host's
// function; its convention. The names stay out of
// the module: kalwcheck --slad writes them beside the ordinals.
struct RelayRow {
  uint32_t kinds[2];
  uint16_t ordinal;
  uint8_t stackBytes;
  HostConvention convention;
};

template <typename Signature> struct Parameters;
template <typename R, typename... A> struct Parameters<R(A...)> {
  static constexpr char letters[] = {Kind<R>::letter, Kind<A>::letter..., '\0'};
  static constexpr bool variadic = false;
};
template <typename R, typename... A> struct Parameters<R(A..., ...)> {
  static constexpr char letters[] = {Kind<R>::letter, Kind<A>::letter..., '.', '\0'};
  static constexpr bool variadic = true;
};

constexpr uint32_t KindNumber(char letter) {
  for (uint32_t number = 1; number < kKindCount; ++number) {
    if (kLetters[number] == letter) return number;
  }
  return 0;
}

// Whether the parameter `index` (from 0) of a catalogue line's parameter text
// is named a count: an int* read as its number only then, as another int*
// may be a list of the host's, which can be empty.
constexpr bool NamedCount(const char* parameters, int index) {
  const char* p = parameters;
  for (int comma = 0; *p && comma < index; ++p) comma += *p == ',';
  for (; *p && *p != ',' && *p != ')'; ++p) {
    if ((p[0] == 'c' || p[0] == 'C') && p[1] == 'o' && p[2] == 'u' && p[3] == 'n' && p[4] == 't') return true;
  }
  return false;
}

// A name ending in V takes a va_list as its last parameter (a char* to the
// compiler).
template <typename Signature, int N>
constexpr RelayRow RelayRowOf(uint16_t ordinal, const char (&name)[N], const char* parameters,
                              HostConvention convention, int calleeBytes) {
  RelayRow row{{0, 0}, ordinal, 0, convention};
  const char* letters = Parameters<Signature>::letters;
  int count = 0;
  for (; letters[count]; ++count) {
    char letter = name[N - 2] == 'V' && !letters[count + 1] ? 'v' : letters[count];
    if (letter == 'n' && count > 0 && !NamedCount(parameters, count - 1)) letter = 'p';
    row.kinds[count / 8] |= KindNumber(letter) << (4 * (count % 8));
  }
  const int all = StackBytes<Signature>::all;
  row.stackBytes = static_cast<uint8_t>(
      convention == HostConvention::Cdecl ? all + (Parameters<Signature>::variadic ? kVariadicCopy : 0)
                                          : calleeBytes);
  return row;
}

inline constexpr RelayRow kRelayRows[] = {
#define HOST_FN(ordinal, name, conv, bytes, result, params) \
  RelayRowOf<name##_sig>(ordinal, #name, #params, KW_HOSTCONV_##conv, bytes),
#include "host_catalogue.inc"
#undef HOST_FN
};
static_assert(sizeof kRelayRows / sizeof kRelayRows[0] == kHostCatalogueSize);
static_assert(sizeof kRelayRows[0].kinds * 2 > 14, "the most parameters of a row, the answer and the end");

inline char KindOf(int row, int index) {
  const uint32_t number = (kRelayRows[row].kinds[index / 8] >> (4 * (index % 8))) & 15;
  return number < kKindCount ? kLetters[number] : '\0';
}

// The host calls whose buffers the trace writes as bytes ("B size hex"): the
// argument that points to the buffer, whether it is written before the call
// (what the module hands over) and after the answer (what the host put
// there), and its size: the product of the two arguments after it, or the
// warehouse flags'.
struct BufferArgument {
  uint16_t ordinal;
  uint8_t argument;
  bool before, after;
  bool sizeByArguments;
};
inline constexpr BufferArgument kBufferArguments[] = {
    {52307, 0, false, true, true},   // HostReadFile: what the host read
    {52308, 0, true, false, true},   // HostWriteFile: what the module writes
    {52084, 2, true, true, false},   // HostEditWarehouseFlags: the flags the user edits
    {24007, 3, true, true, false},   // HostRunDialog: the flags the dialog shows and edits
};

}  // namespace kw
