#include "contractor_lookup.h"

#include "host_records.h"
#include "mazovia.h"
#include "warnings.h"

namespace kw {

namespace {

constexpr int kFirstWalkKey = 6;
constexpr int kSecondWalkKey = 198;
constexpr int kCursorHasRecord = 1;

// One walk in a key: true when a record's symbol matched; it is then the
// table's current record.
bool WalkForSymbol(HostTable* table, int key, const char* symbol, int length) {
  alignas(4) char keyBuffer[kKeyBufferSize] = {};
  alignas(4) char cursor[kCursorSize] = {};
  HostMakeKey(key, table, keyBuffer, 0);
  bool found = false;
  if (HostCursorOpen(cursor, table, key, keyBuffer, 0, 0) != 0) {
    while (HostCursorNext(cursor) == kCursorHasRecord) {
      if (HostCompareTextN(AsContractor(table->RecordBuffer)->ContrSymbol, symbol, length) == 0) {
        found = true;
        break;
      }
    }
  }
  HostCursorClose(cursor);
  return found;
}

}  // namespace

int WyszukajKontrPoSymbolu(const char* symbol, int length, KeptRecord* keep) {
  HostTable* table = HostGetTable(kContractorTable);
  const bool kept = !keep || keep->Keep(table);
  if (table) HostPrepareTable(table, kPrepareForReading);
  // A table without its record buffer is as good as missing. One whose
  // record the module could not keep to put back is not read over.
  if (!table || !table->RecordBuffer || !kept) {
    ShowDiskError("WyszukajKontrPoSymbolu");
    return kept ? kLookupNotFound : kLookupNotKept;
  }
  if (WalkForSymbol(table, kFirstWalkKey, symbol, length)) return 0;
  if (WalkForSymbol(table, kSecondWalkKey, symbol, length)) return 0;
  return kLookupNotFound;
}

}  // namespace kw
