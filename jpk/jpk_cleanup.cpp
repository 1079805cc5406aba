#include "jpk_cleanup.h"

#include <cstring>

#include "kept_record.h"
#include "contractor_lookup.h"
#include "handler_scope.h"
#include "host_records.h"
#include "journal.h"
#include "mazovia.h"
#include "warnings.h"

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

// The deletions the passes have under way, outermost first. The host may run
// another pass inside a deletion, and that pass may delete the same entry and
// write it in the journal: the pass under way then does not write it again.
struct DeletionUnderWay {
  int entry;
  bool journaled;
};
constexpr int kMostNestedDeletions = 8;
DeletionUnderWay deletionsUnderWay[kMostNestedDeletions];
int deletionsUnderWayCount = 0;

// The journal's line of a TMO entry deleted (or left), after the work.
void JournalEntry(JournalEvent event, const DocNumber& number, const Contractor& tmo, int entryNumber) {
  for (int i = 0; event == JournalEvent::EntryRemoved && i < deletionsUnderWayCount && i < kMostNestedDeletions; ++i) {
    if (deletionsUnderWay[i].entry == entryNumber) deletionsUnderWay[i].journaled = true;
  }
  char contractor[kNumberTextSize];
  NumberText(tmo.number, contractor);
  char texts[sizeof tmo.text1 + sizeof tmo.text2 + 4];
  char* at = texts;
  for (const char* c = tmo.text1; *c; ++c) *at++ = *c;
  for (const char* c = " / "; *c; ++c) *at++ = *c;
  for (const char* c = tmo.text2; *c; ++c) *at++ = *c;
  *at = '\0';
  JournalFields fields;
  fields.document = number.text;
  fields.contractor = contractor;
  fields.description = texts;
  AppendJournal(event, fields);
}

void ReportNotDeleted(const DocNumber& number, const Contractor& tmo, int entryNumber) {
  ShowMessageFmt("Uwaga", MZ("Nie mogę usunąć rekordu - nr dok: %s!"), kWarningBoxStyle, number.text);
  JournalEntry(JournalEvent::EntryLeft, number, tmo, entryNumber);
}

bool Listed(const Pass& pass, int entryNumber) {
  const int* numbers = pass.Numbers();
  for (int i = 0; numbers && i < *pass.entryCount; ++i) {
    if (numbers[i] == entryNumber) return true;
  }
  return false;
}

// Deletes the TMO entry just read at `position`. Whether it went is seen in
// the list, whatever the host answers: a host may refuse and still delete, or
// report a deletion that did not happen.
Step DeleteEntry(const Pass& pass, int position, int entryNumber, uint32_t started) {
  const int before = *pass.entryCount;
  const int* const numbers = pass.Numbers();
  const DocNumber number(pass.entry);
  const int level = deletionsUnderWayCount++;
  if (level < kMostNestedDeletions) deletionsUnderWay[level] = {entryNumber, false};
  HostDeleteSelected(pass.Numbers(), entryNumber - 1, pass.table, pass.entryCount, pass.selection, pass.view, 0);
  const bool journaledInside = level < kMostNestedDeletions && deletionsUnderWay[level].journaled;
  --deletionsUnderWayCount;
  // A handler run inside the deletion may have changed the list: the entry
  // at this position is read again, and a TMO entry still there is tried
  // again. One no longer listed went, by this deletion or by a pass inside it.
  if (HandlersStarted != started || pass.Numbers() != numbers) {
    if (!journaledInside && !Listed(pass, entryNumber)) {
      JournalEntry(JournalEvent::EntryRemoved, number, pass.tmo, entryNumber);
    }
    return Step::Again;
  }
  const bool gone = *pass.entryCount < before || position >= *pass.entryCount ||
                    pass.Numbers()[position] != entryNumber;
  if (gone) {
    JournalEntry(JournalEvent::EntryRemoved, number, pass.tmo, entryNumber);
    return Step::Deleted;
  }
  ReportNotDeleted(number, pass.tmo, entryNumber);
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
        if (pass.entry->JpkContrNumber == pass.tmo.number) {
          ReportNotDeleted(DocNumber(pass.entry), pass.tmo, position < *pass.entryCount ? pass.Numbers()[position] : 0);
        }
        break;
      case Step::Next:
        break;
    }
    rereads = 0;
    ++position;
  }
  return true;
}

// The box of a cleanup that could not read what it needs.
void WarnCleanupIncomplete() { ShowDiskError("UsunKalwestrowkaZ_JPK"); }

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
  WarnCleanupIncomplete();
  return false;
}

// The register's table and the contractor's, prepared for reading, the
// register's entry in hand kept in `hostEntry`: the pass reads the entries
// through the register's buffer, and the entry the host had there goes back
// when the pass is over, before the host refreshes its list (which may make
// another entry current). False, after the box, when they cannot be had.
bool TakeTables(KeptRecord& hostEntry, HostTable*& jpkTable, HostTable*& contractorTable) {
  jpkTable = HostGetTable(kJpkTable);
  const bool kept = hostEntry.Keep(jpkTable);
  contractorTable = HostGetTable(kContractorTable);
  if (jpkTable && contractorTable) {
    HostPrepareTable(jpkTable, kPrepareForReading);
    HostPrepareTable(contractorTable, kPrepareForReading);
  }
  // A table without its record buffer is as good as missing; a register
  // whose entry in hand could not be kept to put back is not read over.
  if (!jpkTable || !contractorTable || !jpkTable->RecordBuffer || !contractorTable->RecordBuffer || !kept) {
    WarnCleanupIncomplete();
    return false;
  }
  return true;
}

}  // namespace

int UsunKalwestrowkaZ_JPK(HostSelection* selection, void* view, int* entryCount, int* recordNumbers,
                          HostTable* jpkTableArg, int** recordNumbersRef, KeptRecord* contractorKept) {
  KeptRecord hostEntry;
  HostTable* jpkTable = nullptr;
  HostTable* contractorTable = nullptr;
  if (!TakeTables(hostEntry, jpkTable, contractorTable)) return 1;
  const ContractorRecord* buffer = AsContractor(contractorTable->RecordBuffer);
  Contractor tmo(buffer);  // checked, and taken again while it is not TMO's
  if (!CopyTmo(buffer, tmo)) return 1;
  // The pass compares with its copy: the host's contractor goes back now.
  if (contractorKept) contractorKept->PutBack();
  const Pass pass{selection, view, entryCount, recordNumbers, recordNumbersRef, jpkTableArg,
                  AsJpkEntry(jpkTable->RecordBuffer), tmo};
  // A host that hands over no count or no array has no entries to offer and
  // no list to refresh.
  const bool haveList = entryCount && recordNumbers;

  HostBeginSelectionUpdate(jpkTableArg, selection);
  // The list is refreshed after every pass that read it to the end, also when
  // the last deletion failed: the deletions before it must be shown.
  const bool passedToTheEnd = haveList && DeleteTmoEntries(pass);
  hostEntry.PutBack();
  if (passedToTheEnd) {
    const int refreshArg = HostGetRefreshArg();
    // The count as it stands at the refresh: the host may have changed its
    // list from inside the call before.
    HostRefreshList(pass.Numbers(), *entryCount, view, 0, refreshArg);
  }
  HostEndSelectionUpdate(jpkTableArg, selection);
  return 1;
}

}  // namespace kw
