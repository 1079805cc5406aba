#include "reassign_hook.h"

#include <cstdint>
#include <cstring>

#include "contractor_lookup.h"
#include "document_record_use.h"
#include "handler_scope.h"
#include "host_records.h"
#include "komis.h"
#include "mazovia.h"
#include "warnings.h"

namespace kw {

DocumentEventHandler** EventHook1664 = nullptr;

namespace {

constexpr int kForeignSaleKind = 24;
constexpr uint16_t kCodeOk = 0x5001;      // 20481
constexpr uint16_t kCodeAccept = 0x4009;  // 16393
constexpr int kDocNumberSize = 16;
constexpr int kDocNoteSize = 100;

bool IsAcceptance(uint16_t code, int16_t phase) {
  return (code == kCodeOk || code == kCodeAccept) && (phase == 1 || phase == -1);
}

}  // namespace

int CSprKomis::CountFlaggedItems() {
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
    if (warehouseFlags[warehouse] != 0) ++flagged;
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
  if (CountFlaggedItems() == 0) return 1;
  if (FindTmo() != 0) {
    WarnAndLogWith(MZ("Nie znaleziono kontrahenta: %s"), kTmoSymbol);
    return 1;
  }
  if (HostAssignContractor(docTable, kind, docRecord, 0) == 0) {
    WarnAndLogWith(MZ("Błąd przepisania kontr: %s"), kTmoSymbol);
    return 1;
  }
  DocRecord* document = AsDocument(docRecord);
  HostCopyText(document->DocNumber, ".", kDocNumberSize);
  HostCopyText(document->DocNote, MZ("Wtyczka Kalwestrowka"), kDocNoteSize);
  document->ConversionPending = 1;
  return 0;
}

}  // namespace kw

extern "C" int __stdcall ReassignHook(int code, int phase) {
  using namespace kw;
  const uint16_t event = static_cast<uint16_t>(code);
  const int16_t when = static_cast<int16_t>(phase);
  const HandlerScope running;
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
  return previous ? previous(code, phase) : 0;
}
