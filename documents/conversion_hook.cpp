#include "conversion_hook.h"

#include <cstdint>

#include "document_conversion.h"
#include "host_records.h"
#include "komis.h"

namespace kw {

DocumentEventHandler** EventHook815 = nullptr;

namespace {

constexpr int16_t kPhaseOpen = -2;
constexpr int16_t kPhaseClose = 2;

// Dialog commands on which the host has the kind of the document in hand.
bool CarriesDocumentKind(uint16_t code) {
  switch (code) {
    case 0x4151:  // 16721
    case 0x5001:  // 20481, OK
    case 0x5002:  // 20482, cancel
    case 0x3D00:  // 15616
      return true;
  }
  return false;
}

DocumentEventHandler* PreviousHandler() { return EventHook815 ? *EventHook815 : nullptr; }

}  // namespace

}  // namespace kw

extern "C" int __stdcall ConversionHook(int code, int phase) {
  using namespace kw;
  const uint16_t event = static_cast<uint16_t>(code);
  const int16_t when = static_cast<int16_t>(phase);

  if (when == kPhaseOpen) {
    // A dialog whose end never came left its object behind: end it before the
    // next one takes its place, so that its base part and the host's state
    // cells are not left dangling.
    if (DialogKomis) DestroyKomis(DialogKomis);
    // This handler ends only the object it made: one that the configuration
    // command made belongs to the command, which ends it when its own dialog
    // returns.
    DialogKomis = CreateKomis();
    CurrentKomis = DialogKomis;
  }

  CSprKomis* const komis = DialogKomis;
  if (CarriesDocumentKind(event) && komis) {
    if (uint8_t* context = HostCurrentContext()) {
      komis->docKind = reinterpret_cast<const OperationContext*>(context)->CtxDocKind;
    }
  }

  // The previous handler gets the event as the host raised it.
  DocumentEventHandler* previous = PreviousHandler();
  if (when == kPhaseClose) {
    // The previous handler ends its part of the dialog first; its 16-bit
    // answer keeps its sign, so that -1 and -2 stay what they are.
    const int result = previous ? static_cast<int16_t>(previous(code, phase)) : 0;
    if (DialogKomis) {
      // The dialog's own object converts what was accepted in it, also when
      // the configuration command holds CurrentKomis meanwhile; its
      // destructor clears every cell that still points at it.
      ConvertDocuments(*DialogKomis);
      DestroyKomis(DialogKomis);
      DialogKomis = nullptr;
    }
    return result;
  }
  return previous ? previous(code, phase) : 0;
}
