#include "jpk_cleanup.h"

#include <cstdarg>
#include <cstring>

#include "borrowed_record.h"
#include "contractor_lookup.h"
#include "handler_scope.h"
#include "host_records.h"
#include "mazovia.h"

namespace kw {

namespace {

// An entry is read again at most this often while the host keeps running the
// module's handlers inside the pass's calls; then it is left as it is. TMO is
// looked up again as often when the contractor's buffer changes under it.
constexpr int kMostRereads = 4;

// TMO as the contractor's buffer held it when the pass began. The host may
// run a handler of the module from inside the pass's calls, and that handler
// may leave another contractor in the buffer: the pass compares with this copy.
struct Contractor {
  int32_t number;
  char symbol[sizeof ContractorRecord::ContrSymbol];
  char text1[sizeof ContractorRecord::ContrText1];
  char text2[sizeof ContractorRecord::ContrText2];

  explicit Contractor(const ContractorRecord* record) : number(record->ContrNumber) {
    std::memcpy(symbol, record->ContrSymbol, sizeof symbol);
    std::memcpy(text1, record->ContrText1, sizeof text1);
    std::memcpy(text2, record->ContrText2, sizeof text2);
    // The host's texts end within their fields; the copies end there for sure.
    symbol[sizeof symbol - 1] = '\0';
    text1[sizeof text1 - 1] = '\0';
    text2[sizeof text2 - 1] = '\0';
  }
};

// The entry in the register's buffer belongs to the contractor: the number
// first, the texts only when it agrees.
bool BelongsTo(const JpkRecord* entry, const Contractor& contractor) {
  return entry->JpkContrNumber == contractor.number && HostCompareText(entry->JpkContrText1, contractor.text1) == 0 &&
         HostCompareText(entry->JpkContrText2, contractor.text2) == 0;
}

// The list the host handed over, and what the pass works with. The host may
// replace its array of entry numbers inside any of its calls: it is taken
// from the host's cell each time when the host handed the cell over.
struct Pass {
  HostSelection* selection;
  void* view;
  int* entryCount;
  int* recordNumbers;
  int** recordNumbersRef;
  HostTable* table;
  const JpkRecord* entry;  // the register's record buffer
  Contractor tmo;

  int* Numbers() const { return recordNumbersRef && *recordNumbersRef ? *recordNumbersRef : recordNumbers; }
};

enum class Step {
  Next,     // the entry stays: on to the next position
  Deleted,  // the entry went: the one that followed stands at this position now
  Again,    // a handler ran inside the calls: read the entry at this position again
  Stop,     // the host could not read the list: the pass ends
};

// The document number of the entry in the register's buffer; it may fill
// its field without an end.
struct DocNumber {
  char text[sizeof JpkRecord::JpkDocNumber + 1];
  explicit DocNumber(const JpkRecord* entry) { lstrcpynA(text, entry->JpkDocNumber, sizeof text); }
};

void ReportNotDeleted(const DocNumber& number) {
  ShowMessageFmt("Uwaga", MZ("Nie mogę usunąć rekordu - nr dok: %s!"), kWarningBoxStyle, number.text);
}

// Deletes the TMO entry just read at `position`. Whether it went is seen in
// the list, whatever the host answers: a host may refuse and still delete, or
// report a deletion that did not happen.
Step DeleteEntry(const Pass& pass, int position, int entryNumber, uint32_t started) {
  const int before = *pass.entryCount;
  const int* const numbers = pass.Numbers();
  const DocNumber number(pass.entry);
  HostDeleteSelected(pass.Numbers(), entryNumber - 1, pass.table, pass.entryCount, pass.selection, pass.view, 0);
  // A handler run inside the deletion may have changed the list: the entry
  // at this position is read again, and a TMO entry still there is tried again.
  if (HandlersStarted != started || pass.Numbers() != numbers) return Step::Again;
  const bool gone = *pass.entryCount < before || position >= *pass.entryCount ||
                    pass.Numbers()[position] != entryNumber;
  if (gone) return Step::Deleted;
  ReportNotDeleted(number);
  return Step::Next;
}

// Reads the entry at `position` and deletes it when it is TMO's.
Step VisitEntry(const Pass& pass, int position) {
  const uint32_t started = HandlersStarted;
  const int* const numbers = pass.Numbers();
  const int entryNumber = numbers[position];
  if (HostReadSelected(pass.Numbers(), position, pass.table, 0, pass.selection) == 0) return Step::Stop;
  const bool tmoEntry = BelongsTo(pass.entry, pass.tmo);
  if (tmoEntry) HostPrepareDelete(pass.table, 0, -1, 0);
  // The host may have run a handler of the module inside these calls (event
  // 231 again, say): the list may have changed, and the record buffer holds
  // whatever that handler read last, whether or not the list changed. The
  // entry is then read again where it stands, never decided on that record.
  if (HandlersStarted != started || pass.Numbers() != numbers) return Step::Again;
  return tmoEntry ? DeleteEntry(pass, position, entryNumber, started) : Step::Next;
}

// The pass over the list; false when the host could not read it to the end.
// An entry the host keeps disturbing with handlers run inside every call is
// left after a few readings, with the warning of a deletion that failed
// when it was TMO's at the last reading.
bool DeleteTmoEntries(const Pass& pass) {
  int rereads = 0;
  for (int position = 0; position < *pass.entryCount;) {
    switch (VisitEntry(pass, position)) {
      case Step::Stop:
        return false;
      case Step::Deleted:
        rereads = 0;
        continue;
      case Step::Again:
        if (++rereads <= kMostRereads) continue;
        if (pass.entry->JpkContrNumber == pass.tmo.number) ReportNotDeleted(DocNumber(pass.entry));
        break;
      case Step::Next:
        break;
    }
    rereads = 0;
    ++position;
  }
  return true;
}

// `tmo`, a copy of the contractor's buffer, holds TMO as the lookup left it
// unless the host changed it meanwhile (a handler of the module it ran, or its
// own screens): it is checked, and taken again after TMO is looked up again
// while it is not TMO's. False when TMO cannot be had (after a box).
bool CopyTmo(const ContractorRecord* buffer, Contractor& tmo) {
  for (int tries = 0; tries < kMostRereads; ++tries) {
    if (HostCompareTextN(tmo.symbol, kTmoSymbol, kTmoSymbolLength) == 0) return true;
    if (FindTmo() != 0) return false;
    tmo = Contractor(buffer);
  }
  HostMessageBox("Uwaga", MZ("Błąd operacji dyskowej-UsunKalwestrowkaZ_JPK!\nOperacja niekompletna!"),
                 kWarningBoxStyle);
  return false;
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
                          HostTable* jpkTableArg, int** recordNumbersRef) {
  // The pass reads the entries through the register's buffer: the entry the
  // host had there goes back when it is over.
  BorrowedRecord<kJpkRecordLength> hostEntry;
  HostTable* jpkTable = HostGetTable(kJpkTable);
  hostEntry.Keep(jpkTable);
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
  const ContractorRecord* buffer = AsContractor(contractorTable->RecordBuffer);
  Contractor tmo(buffer);  // checked, and taken again while it is not TMO's
  if (!CopyTmo(buffer, tmo)) return 1;
  const Pass pass{selection, view, entryCount, recordNumbers, recordNumbersRef, jpkTableArg,
                  AsJpkEntry(jpkTable->RecordBuffer), tmo};
  // A host that hands over no count or no array has no entries to offer and
  // no list to refresh.
  const bool haveList = entryCount && recordNumbers;

  HostBeginSelectionUpdate(jpkTableArg, selection);
  // The list is refreshed after every pass that read it to the end, also when
  // the last deletion failed: the deletions before it must be shown.
  if (haveList && DeleteTmoEntries(pass)) {
    const int refreshArg = HostGetRefreshArg();
    // The count as it stands at the refresh: the host may have changed its
    // list from inside the call before.
    HostRefreshList(pass.Numbers(), *entryCount, view, 0, refreshArg);
  }
  HostEndSelectionUpdate(jpkTableArg, selection);
  return 1;
}

}  // namespace kw
