#include "reassign_hook.h"

#include <cstdint>
#include <cstring>

#include "contractor_lookup.h"
#include "document_marks.h"
#include "document_record_use.h"
#include "handler_scope.h"
#include "host_dialog_codes.h"
#include "host_records.h"
#include "journal.h"
#include "warehouse_list.h"
#include "komis.h"
#include "mazovia.h"
#include "same_text.h"
#include "trace.h"
#include "warnings.h"

namespace kw {

DocumentEventHandler** EventHook1664 = nullptr;

namespace {

constexpr int kForeignSaleKind = 24;

// The document being accepted, as the count found it in hand: the host may
// end the dialog inside the acceptance's later host calls, store the
// document and load the next one into the buffer. Only the document accepted
// gets the marks.
struct DocumentInHand {
  int32_t link;
  char number[sizeof DocRecord::DocNumber + 1];

  explicit DocumentInHand(const DocRecord* document) : link(document->DocLinkId) {
    lstrcpynA(number, document->DocNumber, sizeof number);
  }
  // Still the one in the buffer: its number as entered, or the mark.
  bool StillIn(const DocRecord* document) const {
    char now[sizeof number];
    lstrcpynA(now, document->DocNumber, sizeof now);
    return document->DocLinkId == link && (SameText(now, number) || SameText(now, kMarkedNumber));
  }
};

// The warning of an assignment of TMO that did not go through; 1.
int WarnAssignmentFailed() {
  WarnAndLogWith(MZ("Błąd przepisania kontr: %s"), kTmoSymbol);
  return 1;
}

bool IsAcceptance(uint16_t code, int16_t phase) {
  return (code == kDialogOk || code == kDialogAccept) && (phase == 1 || phase == -1);
}

}  // namespace

int CSprKomis::CountFlaggedItems(WarehouseFlag* consigned) {
  if (docKind != kForeignSaleKind) return 0;
  const uint32_t started = HandlersStarted;
  if (Initial() != 0) return 0;
  // The lines as they stand after the host calls of Initial: the host may
  // have run another dialog inside them and rebuilt its list of lines.
  const int* countCell = HostItemCountRef();
  uint8_t*** linesCell = HostItemArrayRef();
  const int count = countCell ? *countCell : 0;
  uint8_t** lines = linesCell ? *linesCell : nullptr;

  int flagged = 0;
  // A host that reports lines but holds no array of them has no line to count.
  for (int i = 0; lines && i < count; ++i) {
    const ItemLine* line = lines[i] ? AsItemLine(lines[i]) : nullptr;
    if (!line) continue;
    if (line->ItemRefB == 0 && line->ItemRefA == 0) continue;
    const int warehouse = line->ItemWarehouse;
    if (warehouse < 0 || warehouse >= kWarehouseCount) continue;
    if (!IsMarkedWarehouse(warehouseFlags[warehouse])) continue;
    ++flagged;
    if (consigned) consigned[warehouse] = 1;
  }
  // The document in hand as Initial found it. An acceptance the host ran
  // inside Initial's calls, in the same dialog, took this object's snapshot
  // for its own document; the host has given this one back by now.
  if (HandlersStarted == started) std::memcpy(docRecord, savedDocRecord, sizeof savedDocRecord);
  return flagged;
}

int CSprKomis::ReassignContractor() {
  // The kind of the document in hand: an acceptance the host runs inside
  // this one's host calls records the kind of its own document.
  const int kind = docKind;
  WarehouseFlag consigned[kWarehouseCount] = {};
  if (CountFlaggedItems(consigned) == 0) return 1;
  DocRecord* document = AsDocument(docRecord);
  const DocumentInHand accepted(document);
  if (FindTmo() != 0) {
    WarnAndLogWith(MZ("Nie znaleziono kontrahenta: %s"), kTmoSymbol);
    return 1;
  }
  // The marks go only into the document accepted: when the host has another
  // one in hand after a host call, the acceptance stops with the warning of
  // an assignment that did not go through.
  if (HostAssignContractor(docTable, kind, docRecord, 0) == 0 || !accepted.StillIn(document)) {
    return WarnAssignmentFailed();
  }
  // The total, for the journal.
  char total[kAmountTextSize];
  AmountText(document->TotalAmount, total);
  MarkNumber(document);
  if (accepted.StillIn(document)) MarkNote(document);
  if (!accepted.StillIn(document)) return WarnAssignmentFailed();
  MarkPending(document);
  char warehouses[kWarehouseListSize];
  WarehouseListText(consigned, warehouses);
  JournalFields marked;
  marked.document = accepted.number;
  marked.amount = total;
  marked.description = warehouses;
  marked.identity = accepted.link;  // 0 while the host has not given the document its link id yet
  AppendJournal(JournalEvent::Marked, marked);
  return 0;
}

}  // namespace kw

extern "C" int __stdcall ReassignHook(int code, int phase) {
  using namespace kw;
  const uint16_t event = static_cast<uint16_t>(code);
  const int16_t when = static_cast<int16_t>(phase);
  const HandlerScope running;
  const TraceEntry traced("ReassignHook", event, when);
  // Read before any host call, inside which the host may release the cell.
  DocumentEventHandler* const previous = EventHook1664 ? *EventHook1664 : nullptr;
  CSprKomis* komis = DocumentEventKomis();
  if (komis && !komis->ended && IsAcceptance(event, when)) {
    const KomisInUse use(komis);
    {
      const DocumentRecordInUse inHand;
      komis->ReassignContractor();
    }
    // A dialog's end the host made inside the acceptance's calls converts now,
    // before the host gets its document back.
    ConvertWhenFree(komis);
  }
  return HandEventOn(previous, code, phase);
}
