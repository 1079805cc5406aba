// The host's data the module reads between its calls, written as it changes:
// after each host call's answer and at each entry what the host changed, before
// each host call and at each end what the module changed. The records of the
// tables HostGetTable handed out in the entries on the stack ("+ T44 1268
// fields..."), and the register's list of the table handler on the stack
// ("+ L array count from numbers..."); only the module's fields of a record
// (record_fields.h), never the rest.
#include <windows.h>

#include "format_text.h"
#include "host_records.h"
#include "trace.h"
#include "trace_state.h"

namespace kw {

namespace {

constexpr int kNumbersALine = 32;

}  // namespace

int TakeRecordValues(const RecordFields& set, const uint8_t* record, int length, uint8_t* values) {
  ZeroMemory(values, kMostFieldBytes);
  int taken = 0;
  for (int at = 0; taken < set.count && set.fields[taken].offset + set.fields[taken].size <= length; ++taken) {
    const RecordField& field = set.fields[taken];
    CopyMemory(values + at, record + field.offset, field.size);
    if (field.kind == FieldKind::Text) {
      bool ended = false;
      for (int i = 0; i < field.size; ++i) {
        ended = ended || values[at + i] == 0;
        if (ended) values[at + i] = 0;
      }
    }
    at += field.size;
  }
  return taken;
}

namespace {

void PutTable(TracedTable& traced, char kind) {
  const RecordFields set = TableFields(traced.number);
  if (!traced.watched) return;
  const int length = traced.table->RecordLength;
  const uint8_t* buffer = traced.table->RecordBuffer;
  uint8_t values[kMostFieldBytes];
  const int count = TakeRecordValues(set, buffer, buffer ? length : 0, values);  // none without a buffer
  bool same = length == traced.length && (buffer != nullptr) == (traced.buffered != 0);
  for (int i = 0; same && i < kMostFieldBytes; ++i) same = values[i] == traced.values[i];
  if (same) return;
  traced.length = length;
  traced.buffered = buffer != nullptr;
  CopyMemory(traced.values, values, sizeof values);
  TraceText text;
  text.Put("T").Number(traced.number).Put(" ").Number(length);
  if (buffer) {
    TracePutFields(text, set, values, count);
  } else {
    text.Put(" null");
  }
  TraceWrite(kind, text.Text());
}

void PutList(char kind) {
  TracedList& list = TraceList;
  const int count = *list.count;
  const int* array = list.numbers ? *list.numbers : nullptr;
  const int shown = !array || count < 0 ? 0 : count < kTracedListSize ? count : kTracedListSize;
  bool same = count == list.lastCount && array == list.lastArray;
  for (int i = 0; same && i < shown; ++i) same = array[i] == list.lastNumbers[i];
  if (same) return;
  // The list counts as written once all its lines are: a handler the host
  // runs inside the append of one of them finds it unwritten and writes it
  // whole, as the host has it then, and the rest of these lines (read before
  // that handler) is not written.
  list.lastCount = -1;
  list.lastArray = array;
  bool whole = true;
  for (int from = 0; whole && (from == 0 || from < shown); from += kNumbersALine) {
    TraceText text;
    text.Put("L ").Hex(reinterpret_cast<uintptr_t>(array)).Put(" ").Number(count).Put(" ").Number(from);
    for (int i = from; i < shown && i < from + kNumbersALine; ++i) {
      list.lastNumbers[i] = array[i];
      text.Put(" ").Number(array[i]);
    }
    whole = TraceWrite(kind, text.Text());
  }
  if (whole) list.lastCount = count;
}

}  // namespace

void TracePutFields(TraceText& text, const RecordFields& set, const uint8_t* values, int count) {
  int at = 0;
  for (int i = 0; i < count; ++i) {
    const RecordField& field = set.fields[i];
    text.Put(" ");
    if (field.kind == FieldKind::Text) {
      char shown[kMostFieldBytes + 1] = {};
      CopyMemory(shown, values + at, field.size);
      text.Quoted(shown, field.size);
    } else if (field.kind == FieldKind::Bits) {
      DWORD halves[2];
      CopyMemory(halves, values + at, sizeof halves);
      char digits[24];
      FormatText(digits, "%08lX%08lX", halves[1], halves[0]);
      text.Put(digits);
    } else {
      int32_t number = 0;
      CopyMemory(&number, values + at, field.size);
      text.Number(field.size == 2 ? static_cast<uint16_t>(number) : number);
    }
    at += field.size;
  }
}

void TraceWriteChanges(char kind) {
  if (!TraceOn) return;
  for (int i = 0; i < TraceTableCount && i < kTracedTables; ++i) PutTable(TraceTables[i], kind);
  if (TraceList.count) PutList(kind);
  TraceWriteContext(kind, false);
  TraceWriteItems(kind, false);
}

void TraceWriteItems(char kind, bool always) {
  if (!TraceItemArray) return;
  const int count = TraceItemCount ? *TraceItemCount : 0;
  uint8_t** const lines = *TraceItemArray;
  if (!always && count == TraceItemsCount && lines == TraceItemsLines) return;
  TraceItemsCount = count;
  TraceItemsLines = lines;
  TraceText head;
  bool whole = TraceWrite(kind, head.Put("I n=").Number(count).Put(lines ? "" : " null").Text());
  for (int i = 0; whole && lines && i < count && i < kTracedListSize; ++i) {
    TraceText text;
    text.Put("I ").Number(i);
    uint8_t values[kMostFieldBytes];
    const RecordFields set = TableFields(kItemTable);
    if (lines[i]) TracePutFields(text, set, values, TakeRecordValues(set, lines[i], sizeof(ItemLine), values));
    else text.Put(" null");
    whole = TraceWrite(kind, text.Text());
  }
  // A handler the host ran inside the append of one of them may have changed
  // the lines (only their count and array are watched): written again whole,
  // as the host has them now, and the lines read before it not after it.
  if (!whole) TraceWriteItems(kTraceData, true);
}

void TraceWriteContext(char kind, bool always) {
  if (!TraceContext || (!always && TraceContext->CtxDocKind == TraceContextKind)) return;
  TraceContextKind = TraceContext->CtxDocKind;
  TraceText text;
  TraceWrite(kind, text.Put("C ").Number(TraceContextKind).Text());
}

void TraceWatchTable(int index) {
  TraceTables[index].watched = 1;
  TraceTables[index].length = -1;
}

void TraceForgetTables() {
  for (TracedTable& traced : TraceTables) traced.watched = 0;
  TraceContext = nullptr;
  TraceItemArray = nullptr;
}

void TraceListWatch::Watch(int* count, int** numbers) {
  savedCount_ = TraceList.count;
  savedNumbers_ = TraceList.numbers;
  TraceList.count = count;
  TraceList.numbers = numbers;
  TraceList.lastCount = -1;
  TraceList.lastArray = nullptr;
  if (count) PutList(kTraceData);
  else TraceWrite(kTraceData, "L -");
}

void TraceListWatch::Restore() {
  TraceList.count = savedCount_;
  TraceList.numbers = savedNumbers_;
  TraceList.lastCount = -1;
}

}  // namespace kw
