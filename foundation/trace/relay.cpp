// What the relay writes of each host call, from the catalogue's parameter
// types: texts as text, tables by their number, counts handed by address with
// the count, other addresses as addresses, numbers as numbers; and the switch
// of the slots between the host's functions and the relay entries.
#include <cstdint>

#include "host_catalogue.h"
#include "host_records.h"
#include "host_relay_rows.h"
#include "trace.h"
#include "trace_state.h"

namespace kw {

namespace {

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
    if (TraceTables[i].table == table) return TraceWatchTable(i);
  }
  const int index = TraceTableCount % kTracedTables;
  TraceTables[index].table = table;
  TraceTables[index].number = number;
  TraceWatchTable(index);
  ++TraceTableCount;
}

// The bytes of a buffer the trace writes at this moment of a call; 0 for none.
int BufferOf(uint16_t ordinal, const uint32_t* stack, bool after, const uint8_t*& buffer) {
  for (const BufferArgument& argument : kBufferArguments) {
    if (argument.ordinal != ordinal || !(after ? argument.after : argument.before)) continue;
    buffer = reinterpret_cast<const uint8_t*>(stack[argument.argument]);
    const int size = argument.sizeByArguments ? static_cast<int>(stack[argument.argument + 1] * stack[argument.argument + 2])
                                              : kWarehouseFlagsBytes;
    return buffer && size > 0 ? (size < kMostFieldBytes ? size : kMostFieldBytes) : 0;
  }
  return 0;
}

void PutBuffer(uint16_t ordinal, const uint32_t* stack, bool after) {
  const char kind = after ? kTraceData : kTraceHanded;
  const uint8_t* buffer = nullptr;
  const int size = BufferOf(ordinal, stack, after, buffer);
  if (!size) return;
  TraceText text;
  text.Put("B ").Number(size).Put(" ");
  for (int i = 0; i < size; ++i) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    const char pair[3] = {kDigits[buffer[i] >> 4], kDigits[buffer[i] & 15], '\0'};
    text.Put(pair);
  }
  TraceWrite(kind, text.Text());
}

// What the module reads of a host call's answer beyond the answer itself.
void PutAnswerData(uint16_t ordinal, uint32_t answer) {
  if (ordinal == 37978) TraceItemCount = reinterpret_cast<const int*>(answer);
  if (ordinal == 37977) {
    TraceItemArray = reinterpret_cast<uint8_t***>(answer);
    TraceWriteItems(kTraceData, true);
  }
  if (ordinal == 52582) {
    TraceContext = reinterpret_cast<const OperationContext*>(answer);
    TraceWriteContext(kTraceData, true);
  }
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
    kw::TraceWriteChanges(kw::kTraceHanded);
    kw::PutBuffer(kRelayRows[row].ordinal, stack, false);
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
  // The texts the host wrote and the counts it left; the object of a member
  // function is not one.
  for (int i = 1; kw::KindOf(row, i) && kw::KindOf(row, i) != '.'; ++i) {
    const char kind = kw::KindOf(row, i);
    const uint32_t value = kw::Argument(row, stack, 0, i - 1);
    if (kind == 'o') text.Put(" ").Quoted(reinterpret_cast<const char*>(value), kw::kMostAnswerText, false);
    if (kind == 'n' && value) text.Put(" @").Number(*reinterpret_cast<const int*>(value));
  }
  kw::TraceWrite(kw::kTraceAnswer, text.Text());
  kw::TraceWriteChanges(kw::kTraceData);
  kw::PutBuffer(kRelayRows[row].ordinal, stack, true);
  kw::PutAnswerData(kRelayRows[row].ordinal, answer);
  return removed;
}
