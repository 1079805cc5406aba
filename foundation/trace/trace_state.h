// The relay trace's mutable state; every variable is defined, with its owner
// and who may change it, in the one block of trace_state.cpp.
#pragma once

#include <cstdint>

#include "host_catalogue.h"

namespace kw {

inline constexpr int kTraceQueueSize = 8192;
inline constexpr int kTracedTables = 16;

struct TracedTable {
  const HostTable* table;  // as HostGetTable answered it
  int number;              // the number it was asked for
};

extern int TraceOn;
extern int TraceDepth;
extern uint32_t TraceBytes;
extern int TraceWriting;
extern int TraceQueued;
extern char TraceQueue[kTraceQueueSize];
extern TracedTable TraceTables[kTracedTables];
extern int TraceTableCount;

}  // namespace kw

extern "C" {
// The host's own function of each row while its slot holds the relay entry.
extern kw::HostSlot KwRelayTargets[kw::kHostCatalogueSize];
// The relay entries, one call of 5 bytes a row (relay_entries.S).
extern const uint8_t KwRelayEntries[];
}

namespace kw {

inline constexpr int kRelayEntrySize = 5;
inline void* RelayEntry(int row) { return const_cast<uint8_t*>(KwRelayEntries + kRelayEntrySize * row); }

}  // namespace kw
