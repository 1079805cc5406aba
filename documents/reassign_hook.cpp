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
  const int* countCell = HostItemCountRef();
  uint8_t*** linesCell = HostItemArrayRef();
  const int count = countCell ? *countCell : 0;
  uint8_t** lines = linesCell ? *linesCell : nullptr;
  if (docKind != kForeignSaleKind) return 0;
  if (Initial() != 0) return 0;

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
  std::memcpy(docRecord, savedDocRecord, sizeof savedDocRecord);
  return flagged;
}

int CSprKomis::ReassignContractor() {
  if (CountFlaggedItems() == 0) return 1;
  if (FindTmo() != 0) {
    WarnAndLogWith(MZ("Nie znaleziono kontrahenta: %s"), kTmoSymbol);
    return 1;
  }
  if (HostAssignContractor(docTable, docKind, docRecord, 0) == 0) {
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
  // The document dialog open now; while the host's own handler of a dialog's
  // end runs and no dialog opened there, the ending one.
  CSprKomis* komis = DialogKomis ? DialogKomis : EndingKomis;
  if (komis && !komis->ended && IsAcceptance(event, when)) {
    const KomisInUse use(komis);
    const DocumentRecordInUse inHand;
    komis->ReassignContractor();
  }
  DocumentEventHandler* previous = EventHook1664 ? *EventHook1664 : nullptr;
  return previous ? previous(code, phase) : 0;
}
