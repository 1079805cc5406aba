// The conversion of the sales documents that the reassignment hook marked: at
// the end of the host's document dialog each one gets its number back, the
// flag 0x400, the terms of the contractor TMO and, when those terms ask for
// it, cleared settlement amounts; the host re-processes its item lines and the
// document is stored.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kept_record.h"
#include "contractor_lookup.h"
#include "conversion_journal.h"
#include "document_marks.h"
#include "document_record_use.h"
#include "host_records.h"
#include "komis.h"
#include "mazovia.h"
#include "warnings.h"

namespace kw {

#pragma pack(push, 1)

// What HostProcessItemSet is told about the pass over a document's items.
struct ItemPassParams {
  uint8_t hostArea0[38];
  uint32_t hostValue38;  // 38: 0xFFFFFFFF on every pass the module asks for
  uint8_t hostArea42[2];
};
static_assert(offsetof(ItemPassParams, hostValue38) == 38);
static_assert(sizeof(ItemPassParams) == 44);

#pragma pack(pop)

namespace {

constexpr int kDocumentKey = 24;
constexpr int kItemKey = 68;
constexpr int kMostItemRecords = 5000;
constexpr int kItemPassFlags = 0x4100;
constexpr uint16_t kConvertedFlag = 0x400;
constexpr uint16_t kTermsClearSettlement = 0x7E00;  // bits 9..14

// The host's in-memory item set, handed from document to document as the
// host leaves it.
struct ItemSet {
  void* records = nullptr;
  int aux = 0;
};

void ConvertRecord(DocRecord* document, uint16_t termsWord, uint16_t termsAux) {
  document->DocFlags = static_cast<uint16_t>(document->DocFlags | kConvertedFlag);
  document->ConversionPending = 0;
  document->TermsAux = termsAux;
  document->TermsWord = termsWord;
  if (document->TermsWord & kTermsClearSettlement) {
    document->SplitAmount[3] = 0.0;
    document->SplitAmount[2] = 0.0;
    document->SplitAmount[1] = 0.0;
    document->SplitAmount[0] = 0.0;
    document->SettledAmount = 0.0;
    const double gross = document->TotalAmount + document->AddAmount;
    document->BalanceAmount = gross - document->DeductAmount;
  }
  HostCopyText(document->DocNumber, document->DocAltNumber, sizeof document->DocNumber);
}

// Lets the host re-process the items of the document in docRecord; false when
// the host cannot select them.
bool ReprocessItems(HostTable* itemTable, uint8_t* docRecord, ItemSet& items) {
  alignas(4) char keyBuffer[kKeyBufferSize] = {};
  HostMakeKey(kItemKey, itemTable, keyBuffer, AsDocument(docRecord)->DocLinkId);
  int count = 0;
  HostSelection* selection = HostSelectRecords(kItemKey, keyBuffer, itemTable, &count);
  if (!selection) return false;
  HostLoadSelection(&items.records, &items.aux, &count, kMostItemRecords, itemTable, selection);
  ItemPassParams params = {};
  params.hostValue38 = 0xFFFFFFFFu;
  HostProcessItemSet(kItemKey, itemTable, items.records, &count, selection, kItemPassFlags, 0, 1, &params, 0, 0, 0);
  HostSyncDocumentItems(items.records, count, docRecord, 0, 0);
  HostStoreSelection(&items.records, &items.aux, &count, kMostItemRecords, itemTable, selection);
  HostFreeSelection(&selection);
  return true;
}

// The terms of the contractor TMO that a converted document takes.
struct Terms {
  uint16_t word;
  uint16_t aux;
};

// Converts the marked documents among the `count` selected, each stored where
// it was read; stops at the first whose items the host cannot select.
void ConvertSelected(HostTable* docTable, uint8_t* docRecord, HostTable* itemTable, HostSelection* documents,
                     int count, Terms terms) {
  ItemSet items;
  for (int position = 0; position < count; ++position) {
    if (!HostReadSelected(nullptr, position, docTable, 0, documents)) continue;
    DocRecord* document = AsDocument(docRecord);
    if (!IsMarked(document)) continue;
    const ConversionFields before = FieldsOf(document);
    ConvertRecord(document, terms.word, terms.aux);
    // Items the host cannot select: this document and every later one stay
    // marked for the next run (the caller puts the host's record back).
    if (!ReprocessItems(itemTable, docRecord, items)) return;
    const ConversionFields after = FieldsOf(document);
    HostWriteSelected(nullptr, position, docTable, 0, documents);
    JournalConversion(before, after);
  }
}

// TMO's terms as the lookup leaves them in the contractor's buffer, taken
// before any other host call; the host's contractor goes back into the
// buffer. What the lookup answers: 0 when the terms are taken.
int FindTmoTerms(const uint8_t* contractorRecord, Terms& terms) {
  KeptRecord hostContractor;
  const int found = FindTmo(&hostContractor);
  if (found != 0) return found;
  const ContractorRecord* tmo = AsContractor(const_cast<uint8_t*>(contractorRecord));
  terms = {tmo->ContrTermsWord, tmo->ContrTermsAux};
  return 0;
}

constexpr const char* kConversionName = "ConvertDocuments";  // in its disk-error box

}  // namespace

int CSprKomis::ConvertDocuments() {
  const DocumentRecordInUse reading;
  if (Initial() != 0) return 1;
  Terms terms{};
  const int found = FindTmoTerms(contractorRecord, terms);
  if (found != 0) {
    if (found != kLookupNotKept) WarnAndLogWith(MZ("Nie znaleziono kontrahenta: %s"), kTmoSymbol);
    return 1;
  }
  HostMessageBox(MZ("Czekaj"), MZ("Trwa zamiana dokumentów - wtyczka Kalwestrowka..."), kWaitBoxStyle);

  bool selected = false;
  {
    // The documents and their items are read through the host's buffers: the
    // records the host has in them go back when the run is over. Records that
    // cannot be kept are not read over: the documents wait for the next run.
    KeptRecord hostDocument, hostItem;
    if (!hostDocument.Keep(docTable) || !hostItem.Keep(itemTable)) {
      HostCloseWaitBox();
      ShowDiskError(kConversionName);
      return 1;
    }
    alignas(4) char keyBuffer[kKeyBufferSize] = {};
    HostMakeKey(kDocumentKey, docTable, keyBuffer, 0);
    int count = 0;
    HostSelection* documents = HostSelectRecords(kDocumentKey, keyBuffer, docTable, &count);
    selected = documents != nullptr;
    if (selected) {
      ConvertSelected(docTable, docRecord, itemTable, documents, count, terms);
      HostFreeSelection(&documents);
    }
  }
  HostCloseWaitBox();
  return selected ? 0 : 1;
}

}  // namespace kw
