// The simulated host's view of its entries: for each relay row the ordinal,
// name, convention, the bytes its entry removes and the kinds of its fixed
// arguments ('t' Mazovia text, 'p' pointer, 'i' integer), all derived from the
// module's catalogue.
#pragma once

#include <cstdint>
#include <string_view>

#include "host_interface.h"

namespace hostsim {

struct HostRow {
  uint16_t ordinal;
  const char* name;
  kw::HostConvention convention;
  uint8_t calleeBytes;
  const char* argumentKinds;  // the object of a __thiscall function first
};

const HostRow& RowAt(int row);
int RowCount();
int RowOfOrdinal(uint16_t ordinal);         // -1 when unknown
int RowOfName(std::string_view name);       // -1 when unknown

}  // namespace hostsim
