#include "jpk_table_hook.h"

#include "contractor_lookup.h"
#include "handler_scope.h"
#include "jpk_cleanup.h"
#include "mazovia.h"
#include "warnings.h"
#include "trace.h"

namespace kw {

HostTable* JpkTable = nullptr;
TableEventHandler* PrevJpkHandler = nullptr;
TableSizeCheck JpkSizeCheck = {};

namespace {

constexpr int kCleanupDoneSignal = -5;

bool OnMismatchList(const TableSizeCheck* check) {
  for (const TableSizeCheck* c = SizeMismatchList; c; c = c->NextCheck) {
    if (c == check) return true;
  }
  return false;
}

// Finds TMO, deletes its register entries under the wait box and tells the
// host that the list changed. The contractor the host had in table 35's
// buffer is back before the wait box closes.
void RemoveTmoEntries(int* entryCount, HostTable* jpkTableArg, int** recordNumbersRef, HostSelection* selection,
                      void* view, int16_t* handled) {
  KeptRecord hostContractor;
  const int found = FindTmo(&hostContractor);
  if (found != 0) {
    hostContractor.PutBack();
    if (found != kLookupNotKept) {
      ShowMessageFmt("Uwaga", MZ("Nie znaleziono kontrahenta: %s"), kWarningBoxStyle, kTmoSymbol);
    }
    return;
  }
  HostMessageBox("Czekaj", MZ("Trwa usuwanie dokumentów TMO - wtyczka Kalwestrowka..."), kWaitBoxStyle);
  UsunKalwestrowkaZ_JPK(selection, view, entryCount, recordNumbersRef ? *recordNumbersRef : nullptr, jpkTableArg,
                        recordNumbersRef, &hostContractor);
  hostContractor.PutBack();
  HostCloseWaitBox();
  HostRefreshDisplay();
  if (handled) *handled = 1;
  if (uint16_t* signal = HostGetSignalWordPtr()) *signal = 0;
  HostPostSignal(kCleanupDoneSignal);
}

}  // namespace

int SetJpkTableHook(int install) {
  if (!install) {
    if (JpkTable) {
      JpkTable->EventHandler = PrevJpkHandler;
      JpkTable = nullptr;
    }
    return 0;
  }
  if (JpkTable) return 0;
  HostTable* table = HostGetTable(kJpkTable);
  if (table && table->RecordLength == kJpkRecordLength) {
    PrevJpkHandler = table->EventHandler;
    table->EventHandler = &OnJpkTableEvent;
    JpkTable = table;
    return 0;
  }
  JpkSizeCheck.ExpectedSize = kJpkRecordLength;
  JpkSizeCheck.HostSize = table ? table->RecordLength : 0;
  JpkSizeCheck.TableName = kJpkTableName;
  // Already on the list after an earlier failure: its link holds the records
  // appended since, which must stay on the list.
  if (!OnMismatchList(&JpkSizeCheck)) JpkSizeCheck.NextCheck = nullptr;
  return AppendSizeMismatch(&JpkSizeCheck);
}

}  // namespace kw

extern "C" int __stdcall OnJpkTableEvent(int eventCode, int a2, int* entryCount, int a4, int a5,
                                         HostTable* jpkTableArg, int** recordNumbersRef, HostSelection* selection,
                                         void* view, int a10, int16_t* handled) {
  const kw::HandlerScope running;
  const kw::TraceEntry traced("OnJpkTableEvent", eventCode, entryCount ? *entryCount : -1);
  const kw::TraceListWatch list(entryCount, recordNumbersRef);
  if (eventCode == kw::kJpkCleanupEvent) {
    kw::RemoveTmoEntries(entryCount, jpkTableArg, recordNumbersRef, selection, view, handled);
  }
  // An empty slot at installation: the host had no handler of its own to call.
  if (!kw::PrevJpkHandler) return 0;
  const kw::TraceOnward onward;
  return onward.Back(kw::PrevJpkHandler(eventCode, a2, entryCount, a4, a5, jpkTableArg, recordNumbersRef, selection,
                                        view, a10, handled));
}
