#include "jpk_cleanup.h"

#include <cstdarg>

#include "host_records.h"
#include "mazovia.h"

namespace kw {

namespace {

// The entry in the register's buffer belongs to the contractor in the
// contractor's buffer: the number first, the texts only when it agrees.
bool BelongsTo(const JpkRecord* entry, const ContractorRecord* contractor) {
  return entry->JpkContrNumber == contractor->ContrNumber &&
         HostCompareText(entry->JpkContrText1, contractor->ContrText1) == 0 &&
         HostCompareText(entry->JpkContrText2, contractor->ContrText2) == 0;
}

}  // namespace

int ShowMessageFmt(const char* title, const char* format, int style, ...) {
  va_list args;
  va_start(args, style);
  const int answer = HostMessageBoxFmtV(0, title, format, style, args);
  va_end(args);
  return answer;
}

int UsunKalwestrowkaZ_JPK(HostSelection* selection, void* view, int* entryCount, int* recordNumbers,
                          HostTable* jpkTableArg) {
  HostTable* jpkTable = HostGetTable(kJpkTable);
  HostTable* contractorTable = HostGetTable(kContractorTable);
  if (jpkTable && contractorTable) {
    HostPrepareTable(jpkTable, kPrepareForReading);
    HostPrepareTable(contractorTable, kPrepareForReading);
  }
  // A table without its record buffer is as good as missing.
  if (!jpkTable || !contractorTable || !jpkTable->RecordBuffer || !contractorTable->RecordBuffer) {
    HostMessageBox("Uwaga", MZ("Błąd operacji dyskowej-UsunKalwestrowkaZ_JPK!\nOperacja niekompletna!"),
                   kWarningBoxStyle);
    return 1;
  }
  const ContractorRecord* tmo = AsContractor(contractorTable->RecordBuffer);
  const JpkRecord* entry = AsJpkEntry(jpkTable->RecordBuffer);

  // A host that hands over no count or no array has no entries to offer and
  // no list to refresh.
  const bool haveList = entryCount && recordNumbers;

  HostBeginSelectionUpdate(jpkTableArg, selection);
  bool readAll = true;
  for (int position = 0; haveList && position < *entryCount; ++position) {
    const int listed = *entryCount;
    const int entryNumber = recordNumbers[position];
    if (HostReadSelected(recordNumbers, position, jpkTableArg, 0, selection) == 0) {
      readAll = false;
      break;
    }
    if (!BelongsTo(entry, tmo)) continue;
    HostPrepareDelete(jpkTableArg, 0, -1, 0);
    // The host may have handled the event again from inside these calls: its
    // list changed, and the record buffer holds what that pass read last. The
    // entry is then read again where it stands, never deleted on that record.
    if (*entryCount != listed || recordNumbers[position] != entryNumber) {
      --position;
      continue;
    }
    const int before = *entryCount;
    if (HostDeleteSelected(recordNumbers, entryNumber - 1, jpkTableArg, entryCount, selection, view, 0) != 0) {
      // The entry that followed now stands here. A host that reports the
      // deletion without shortening the list would keep the pass on this
      // entry for ever: it then goes on with the next one.
      if (*entryCount < before) --position;
    } else {
      // The number may fill its field without an end.
      char number[sizeof entry->JpkDocNumber + 1];
      lstrcpynA(number, entry->JpkDocNumber, sizeof number);
      ShowMessageFmt("Uwaga", MZ("Nie mogę usunąć rekordu - nr dok: %s!"), kWarningBoxStyle, number);
    }
  }
  // The list is refreshed after every pass that read it to the end, also when
  // the last deletion failed: the deletions before it must be shown.
  if (readAll && haveList) {
    const int refreshArg = HostGetRefreshArg();
    // The count as it stands at the refresh: the host may have changed its
    // list from inside the call before.
    HostRefreshList(recordNumbers, *entryCount, view, 0, refreshArg);
  }
  HostEndSelectionUpdate(jpkTableArg, selection);
  return 1;
}

}  // namespace kw
