#include "windows_text.h"

#include "host_binding.h"
#include "host_catalogue.h"
#include "module_state.h"

namespace kw {

void MazoviaToWindows1250(char* text) {
  static constexpr unsigned char kPairs[][2] = {
      {0x86, 0xB9}, {0x8F, 0xA5}, {0x8D, 0xE6}, {0x95, 0xC6}, {0x91, 0xEA}, {0x90, 0xCA},
      {0x92, 0xB3}, {0x9C, 0xA3}, {0xA4, 0xF1}, {0xA5, 0xD1}, {0xA2, 0xF3}, {0xA3, 0xD3},
      {0x9E, 0x9C}, {0x98, 0x8C}, {0xA6, 0x9F}, {0xA0, 0x8F}, {0xA7, 0xBF}, {0xA1, 0xAF},
  };
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) {
    for (const auto& pair : kPairs) {
      if (*p == pair[0]) {
        *p = pair[1];
        break;
      }
    }
  }
}

namespace {

// True when a call of HostConvertText reaches the host's own function.
bool HostConverterAvailable() {
  constexpr int row = CatalogueRowOf(52158);
  static_assert(row >= 0);
  const HostSlot slot = KwHostSlots[row];
  if (slot == KwFirstCallEntries[row]) {
    return HostModule && GetProcAddress(HostModule, MAKEINTRESOURCEA(52158));
  }
  return slot && !IsFallbackStub(slot);
}

}  // namespace

void ConvertForWindows(char* text) {
  if (HostConverterAvailable()) {
    HostConvertText(text, text, 1, 3);
  } else {
    MazoviaToWindows1250(text);
  }
}

}  // namespace kw
