#include "host_rows.h"

#include <type_traits>

#include "sim_bridge.h"

namespace hostsim {
namespace {

template <typename T>
constexpr char KindOf() {
  if constexpr (std::is_same_v<T, const char*>) return 't';
  else if constexpr (std::is_pointer_v<T>) return 'p';
  else return 'i';
}

template <typename Signature>
struct Kinds;
template <typename R, typename... A>
struct Kinds<R(A...)> {
  static constexpr char value[] = {KindOf<A>()..., '\0'};
};
template <typename R, typename... A>
struct Kinds<R(A..., ...)> {
  static constexpr char value[] = {KindOf<A>()..., '\0'};
};

constexpr HostRow kRows[] = {
#define HOST_FN(ordinal, name, conv, bytes, result, params) \
  {ordinal, #name, KW_HOSTCONV_##conv, bytes, Kinds<name##_sig>::value},
#include "host_catalogue.inc"
#undef HOST_FN
#define HOST_ATTACH_ENTRY(ordinal, name, conv, bytes, result, params) \
  {ordinal, #name, KW_HOSTCONV_##conv, bytes, Kinds<name##_sig>::value},
#include "host_attach_entries.inc"
#undef HOST_ATTACH_ENTRY
};
static_assert(sizeof kRows / sizeof kRows[0] == kSimRowCount);

}  // namespace

const HostRow& RowAt(int row) { return kRows[row]; }
int RowCount() { return kSimRowCount; }

int RowOfOrdinal(uint16_t ordinal) {
  for (int row = 0; row < kSimRowCount; ++row) {
    if (kRows[row].ordinal == ordinal) return row;
  }
  return -1;
}

int RowOfName(std::string_view name) {
  for (int row = 0; row < kSimRowCount; ++row) {
    if (name == kRows[row].name) return row;
  }
  return -1;
}

}  // namespace hostsim
