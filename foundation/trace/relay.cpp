// What the relay writes of each host call, from the catalogue's parameter
// types: texts as text, tables by their number, counts handed by address with
// the count, other addresses as addresses, numbers as numbers; and the switch
// of the slots between the host's functions and the relay entries.
#include <cstdint>

#include "host_catalogue.h"
#include "host_records.h"
#include "trace.h"
#include "trace_state.h"

namespace kw {

namespace {

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

constexpr RelayRow kRelayRows[] = {
#define HOST_FN(ordinal, name, conv, bytes, result, params) \
  RelayRowOf<name##_sig>(ordinal, #name, #params, KW_HOSTCONV_##conv, bytes),
#include "host_catalogue.inc"
#undef HOST_FN
};
static_assert(sizeof kRelayRows / sizeof kRelayRows[0] == kHostCatalogueSize);
static_assert(sizeof kRelayRows[0].kinds * 2 > 14, "the most parameters of a row, the answer and the end");

char KindOf(int row, int index) {
  const uint32_t number = (kRelayRows[row].kinds[index / 8] >> (4 * (index % 8))) & 15;
  return number < kKindCount ? kLetters[number] : '\0';
}

void PutTable(TraceText& text, const HostTable* table) {
  for (int i = 0; i < TraceTableCount && i < kTracedTables; ++i) {
    if (TraceTables[i].table == table) {
      text.Put("T").Number(TraceTables[i].number);
      return;
    }
  }
  text.Hex(reinterpret_cast<uintptr_t>(table));
}

void RememberTable(const HostTable* table, int number) {
  for (int i = 0; i < TraceTableCount && i < kTracedTables; ++i) {
    if (TraceTables[i].table == table) TraceTables[i].number = number;
    if (TraceTables[i].table == table) return;
  }
  TraceTables[TraceTableCount % kTracedTables] = {table, number};
  ++TraceTableCount;
}

void PutValue(TraceText& text, char kind, uint32_t value) {
  switch (kind) {
    case 's': text.Quoted(reinterpret_cast<const char*>(value)); break;
    case 't': PutTable(text, reinterpret_cast<const HostTable*>(value)); break;
    case 'n':
      text.Hex(value);
      if (value) text.Put("@").Number(*reinterpret_cast<const int*>(value));
      break;
    case 'i': text.Number(static_cast<int32_t>(value)); break;
    case 'w': text.Number(static_cast<uint16_t>(value)); break;
    default: text.Hex(value); break;
  }
}

// The value of parameter `index` (from 0): the object in ECX first for a
// member function, the rest from the stack.
uint32_t Argument(int row, const uint32_t* stack, uint32_t ecx, int index) {
  if (kRelayRows[row].convention == HostConvention::This) return index == 0 ? ecx : stack[index - 1];
  return stack[index];
}

}  // namespace

void SwitchRelay(bool on) {
  for (int row = 0; row < kHostCatalogueSize; ++row) {
    HostSlot& slot = KwHostSlots[row];
    void* const relay = RelayEntry(row);
    if (!on) {
      if (slot == relay) slot = KwRelayTargets[row];
    } else if (slot && slot != KwFirstCallEntries[row] && slot != relay) {
      KwRelayTargets[row] = slot;
      slot = relay;
    }
  }
}

}  // namespace kw

using kw::kRelayRows;

namespace {

// The relay entry's return address names its row.
int RowOf(const uint8_t* entryReturn) {
  return static_cast<int>(entryReturn - KwRelayEntries) / kw::kRelayEntrySize - 1;
}

}  // namespace

extern "C" void* KwRelayTarget(const uint8_t* entryReturn) { return KwRelayTargets[RowOf(entryReturn)]; }

extern "C" int KwRelayCalling(const uint8_t* entryReturn, const uint32_t* stack, uint32_t ecx) {
  const int row = RowOf(entryReturn);
  if (kw::TraceOn) {
    kw::TraceText text;
    text.Number(kRelayRows[row].ordinal).Put("(");
    for (int i = 1; kw::KindOf(row, i) && kw::KindOf(row, i) != '.'; ++i) {
      const char kind = kw::KindOf(row, i);
      if (i > 1) text.Put(", ");
      kw::PutValue(text, kind == 'o' || kind == 'v' ? 'p' : kind, kw::Argument(row, stack, ecx, i - 1));
    }
    text.Put(")");
    kw::TraceWrite(kw::kTraceCall, text.Text());
  }
  return kRelayRows[row].stackBytes;
}

extern "C" int KwRelayReturned(const uint8_t* entryReturn, const uint32_t* stack, uint32_t answer) {
  const int row = RowOf(entryReturn);
  // What the host's function removed: the caller removes a __cdecl function's.
  const int removed = kRelayRows[row].convention == kw::HostConvention::Cdecl ? 0 : kRelayRows[row].stackBytes;
  if (kRelayRows[row].ordinal == 52256 && answer) {
    kw::RememberTable(reinterpret_cast<const HostTable*>(answer), static_cast<int>(stack[0]));
  }
  if (!kw::TraceOn) return removed;
  kw::TraceText text;
  text.Number(kRelayRows[row].ordinal).Put(" =");
  if (kw::KindOf(row, 0) != '-') kw::PutValue(text.Put(" "), kw::KindOf(row, 0), answer);
  // The texts the host wrote; the object of a member function is not one.
  for (int i = 1; kw::KindOf(row, i) && kw::KindOf(row, i) != '.'; ++i) {
    if (kw::KindOf(row, i) != 'o') continue;
    kw::PutValue(text.Put(" "), 's', kw::Argument(row, stack, 0, i - 1));
  }
  kw::TraceWrite(kw::kTraceAnswer, text.Text());
  return removed;
}
