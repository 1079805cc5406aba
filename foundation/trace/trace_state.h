// The relay trace's mutable state; every variable is defined, with its owner
// and who may change it, in the one block of trace_state.cpp.
#pragma once

#include <cstdint>

#include "host_catalogue.h"
#include "record_fields.h"
#include "trace_files.h"

namespace kw {

inline constexpr int kTraceQueueSize = 8192;
inline constexpr int kTracedTables = 16;
inline constexpr int kTracedListSize = kTraceListShown;

struct TracedTable {
  const HostTable* table;  // as HostGetTable answered it
  int number;              // the number it was asked for
  int watched;             // 1 from HostGetTable to the outermost entry's end: its record is written as it changes
  int length;              // the record length last written, -1 before the first
  int buffered;            // 1 when the record buffer was there when last written
  uint8_t values[kMostFieldBytes];  // the module's fields as last written (texts cut at their zero)
};

// The register's list of entries handed to the table handler on the stack.
struct TracedList {
  int* count;          // the host's count of entries; null when none is watched
  int** numbers;       // the host's cell of the entries' record numbers
  int lastCount;       // as last written, -1 before the first
  const int* lastArray;
  int lastNumbers[kTracedListSize];
};

extern int TraceOn;
extern int TraceDepth;
extern uint32_t TraceBytes;
extern int TraceWriting;
extern int TraceQueued;
extern char TraceQueue[kTraceQueueSize];
extern TracedTable TraceTables[kTracedTables];
extern int TraceTableCount;
extern TracedList TraceList;
extern const OperationContext* TraceContext;
extern int32_t TraceContextKind;
extern const int* TraceItemCount;
extern uint8_t*** TraceItemArray;
extern int TraceItemsCount;
extern uint8_t** TraceItemsLines;

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
