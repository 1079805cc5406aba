#include "conversion_hook.h"

#include <cstdint>

#include "document_record_use.h"
#include "host_dialog_codes.h"
#include "handler_scope.h"
#include "host_records.h"
#include "komis.h"
#include "module_state.h"
#include "trace.h"

namespace kw {

DocumentEventHandler** EventHook815 = nullptr;
CSprKomis* CurrentKomis = nullptr;
CSprKomis* EndingKomis = nullptr;
int DocumentRecordUsers = 0;
bool ConversionOwed = false;

namespace {

// Dialog commands on which the host has the kind of the document in hand.
bool CarriesDocumentKind(uint16_t code) {
  switch (code) {
    case kDocumentDialogOpen:
    case kDialogOk:
    case kDialogCancel:
    case kDocumentDialogF3:
      return true;
  }
  return false;
}

DocumentEventHandler* PreviousHandler() { return EventHook815 ? *EventHook815 : nullptr; }

// Takes the document dialog's object out of the cells, so that no event the
// host raises from now on reaches it.
CSprKomis* TakeDialogKomis() {
  CSprKomis* const komis = CurrentKomis;
  CurrentKomis = nullptr;
  return komis;
}

// A document dialog opens: it gets an object of its own. One whose end never
// came is ended first, so that its base part and the host's state cells are
// not left dangling; so is one that a dialog opened while the host was
// building this one (the host may answer from inside its own functions).
void OpenDialogKomis() {
  if (CSprKomis* stale = TakeDialogKomis()) DestroyKomis(stale);
  if (ModuleUninstalled) return;
  CSprKomis* const made = CreateKomis();
  while (CurrentKomis) {
    if (CSprKomis* stale = TakeDialogKomis()) DestroyKomis(stale);
  }
  // Uninstalled from inside the host calls that made it: it ends at once.
  if (made && ModuleUninstalled) {
    DestroyKomis(made);
    return;
  }
  // An object that the configuration command made belongs to the command,
  // which ends it when its own dialog returns.
  CurrentKomis = made;
}

// The dialog's kind of document, from the host's operation context; while the
// host's own handler of a dialog's end runs, the ending dialog's.
void RecordDocumentKind() {
  CSprKomis* const komis = DocumentEventKomis();
  if (!komis) return;
  const KomisInUse use(komis);
  if (uint8_t* context = HostCurrentContext()) {
    komis->docKind = reinterpret_cast<const OperationContext*>(context)->CtxDocKind;
  }
}

// A document dialog ends: the host's own handler gets the event first, then
// the dialog's object converts what was accepted in it and ends.
int EndDialog(DocumentEventHandler* previous, int code, int phase) {
  // The ending dialog's object leaves CurrentKomis before the event is handed
  // on: the host may open its next document dialog in its own handler of
  // this phase, and the object made then belongs to that dialog. Until the
  // handler returns, an acceptance raised in it without a newer dialog's
  // object still reaches the ending one.
  CSprKomis* const ending = TakeDialogKomis();
  // The previous handler ends its part of the dialog first; its 16-bit
  // answer keeps its sign, so that -1 and -2 stay what they are.
  if (!ending) return static_cast<int16_t>(HandEventOn(previous, code, phase));
  const KomisInUse use(ending);
  CSprKomis* const outerEnding = EndingKomis;
  EndingKomis = ending;
  const int result = static_cast<int16_t>(HandEventOn(previous, code, phase));
  if (EndingKomis == ending) EndingKomis = outerEnding && !outerEnding->ended ? outerEnding : nullptr;
  // The marked documents are converted now, or, when the host ended the
  // dialog from inside the module's own work on table 44, as soon as that
  // work is done. The dialog's own object converts also while the
  // configuration command runs.
  ConversionOwed = true;
  ConvertWhenFree(ending);
  DestroyKomis(ending);
  return result;
}

}  // namespace

void ConvertWhenFree(CSprKomis* komis) {
  while (ConversionOwed && DocumentRecordUsers == 0) {
    ConversionOwed = false;
    if (ModuleUninstalled) return;
    komis->ConvertDocuments();
  }
}

void EndDocumentDialogObjects() {
  while (CSprKomis* open = DocumentEventKomis()) DestroyKomis(open);
}

}  // namespace kw

extern "C" int __stdcall ConversionHook(int code, int phase) {
  using namespace kw;
  const HandlerScope running;
  const TraceEntry traced("ConversionHook", code, phase);
  const uint16_t event = static_cast<uint16_t>(code);
  const int16_t when = static_cast<int16_t>(phase);
  // The previous handler gets the event as the host raised it. Its cell is
  // read before any host call: the module may be uninstalled inside one, and
  // the host then releases the cell.
  DocumentEventHandler* const previous = PreviousHandler();

  if (when == kPhaseOpen) OpenDialogKomis();
  if (CarriesDocumentKind(event)) RecordDocumentKind();

  if (when == kPhaseClose) return EndDialog(previous, code, phase);
  return HandEventOn(previous, code, phase);
}
