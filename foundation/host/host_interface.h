// The whole interface of the host library TALMER as the module sees it: the
// opaque host types, the handler types the host calls back, and one typed
// declaration per host function of the catalogue, its calling convention part
// of its type. A call goes to the function's entry in host_entries.S, which
// jumps through the function's slot.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "host_ordinals.h"

struct HostTable;      // table object handed out by HostGetTable (host_records.h)
struct HostFile;       // open file of the host's file services
struct HostSelection;  // record selection of a table

// Handler of a host document event: 16-bit event code and phase, passed as
// 32-bit values.
using DocumentEventHandler = int __stdcall(int code, int phase);

namespace kw {

// Bytes of stack arguments a function of this type receives, each argument
// widened to a 32-bit slot.
template <typename Signature>
struct StackBytes;
template <typename R, typename... A>
struct StackBytes<R(A...)> {
  static constexpr int all = (0 + ... + static_cast<int>((sizeof(A) + 3) / 4 * 4));
};
template <typename R, typename... A>
struct StackBytes<R(A..., ...)> {
  static constexpr int all = (0 + ... + static_cast<int>((sizeof(A) + 3) / 4 * 4));
};

// What the callee removes, given the convention: all for __stdcall, all but the
// object in ECX for __thiscall, nothing for __cdecl.
template <typename Signature>
constexpr int CalleeBytes(HostConvention convention) {
  constexpr int all = StackBytes<Signature>::all;
  switch (convention) {
    case HostConvention::Std: return all;
    case HostConvention::This: return all == 0 ? 0 : all - 4;
    case HostConvention::Cdecl: return 0;
  }
  return -1;
}

}  // namespace kw

namespace kw {

// Styles of HostMessageBox: a warning with an OK button, and a wait box that
// stays up until HostCloseWaitBox.
inline constexpr int kWarningBoxStyle = 1;
inline constexpr int kWaitBoxStyle = 512;

}  // namespace kw

#define KW_CONV_STD __stdcall
#define KW_CONV_CDECL __cdecl
#define KW_CONV_THIS __attribute__((thiscall))

// name##_sig: the plain signature; name##_fn: the function type with its
// convention. The entry symbols are defined in host_entries.S.
#define HOST_FN(ordinal, name, conv, bytes, result, params)                   \
  using name##_sig = result params;                                               \
  using name##_fn = result KW_CONV_##conv params;                                 \
  static_assert(::kw::CalleeBytes<name##_sig>(KW_HOSTCONV_##conv) == (bytes),     \
                #name ": the catalogue's byte count disagrees with its parameters"); \
  extern "C" name##_fn name __asm__("KwHostEntry_" #ordinal);
#include "host_catalogue.inc"
#undef HOST_FN

// The entries taken at attach (host_attach_entries.inc): name##_sig and
// name##Fn, the function type of the cells that hold them. HostModuleCallbackFn
// (30006) is also the callback given to ModuleInstall; HostSecondaryCallbackFn
// (30007) is kept in the frame block's two secondary slots.
#define HOST_ATTACH_ENTRY(ordinal, name, conv, bytes, result, params)              \
  using name##_sig = result params;                                               \
  using name##Fn = result KW_CONV_##conv params;                                  \
  static_assert(::kw::CalleeBytes<name##_sig>(KW_HOSTCONV_##conv) == (bytes),     \
                #name ": the table's byte count disagrees with its parameters");
#include "host_attach_entries.inc"
#undef HOST_ATTACH_ENTRY
