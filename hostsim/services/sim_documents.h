// The host's side of its document dialogs: the operation in progress, the item
// lines of the document being edited, the contractor assignment, and the
// in-memory item sets that the conversion loads, processes, syncs into the
// document and stores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host.h"
#include "host_records.h"

namespace hostsim {

struct SimSelection;

class SimDocuments : public HostComponent {
 public:
  explicit SimDocuments(Host& host);
  ~SimDocuments() override;

  // What HostCurrentContext describes.
  kw::OperationContext& Context() { return *context_; }
  void SetDocKind(int kind) { context_->CtxDocKind = kind; }

  // The document's item lines (HostItemArrayRef, HostItemCountRef): a new
  // zero-filled 515-byte line at the end, the count raised with it.
  kw::ItemLine& AddItemLine(int warehouse, uint32_t refA = 1, uint16_t refB = 0);
  // A new document: no lines.
  void ClearItemLines();
  // The rest of the document in hand besides table 44's record: its kind and
  // item lines. A host that runs another document dialog from inside one of
  // its functions puts these back afterwards, as it does the record.
  struct InHand {
    int kind;
    std::vector<std::string> lines;
  };
  InHand TakeInHand() const;
  void PutInHand(const InHand& held);
  // The host's count, which a test may set apart from the lines it holds.
  int32_t& ItemCount() { return *countCell_; }
  // The host's array holds a null pointer in place of this line.
  void NullLine(int index) { array_[index] = nullptr; }
  // The host's variable holds no array at all.
  void DropItemArray() { *arrayCell_ = nullptr; }

  // HostAssignContractor: every call, with the symbol of the contractor that
  // stood in table 35's record buffer at that moment.
  struct Assignment {
    const void* table;
    int kind;
    const uint8_t* record;
    int reserved;
    std::string contractorSymbol;  // Mazovia
  };
  const std::vector<Assignment>& Assignments() const { return assignments_; }
  void AnswerAssignment(int answer) { assignAnswer_ = answer; }

  // One pass over a document's items, opened by HostLoadSelection.
  struct ItemPass {
    int table;
    std::vector<int> loaded;  // record indices of the items in the set
    const void* recordsIn;    // the records pointer and auxiliary value the module brought
    int32_t auxIn;
    const void* recordsOut;   // and what the host left in them
    std::string params;       // the 44 bytes given to HostProcessItemSet; empty without that call
    int flags = 0;
    bool synced = false;
    bool stored = false;
  };
  const std::vector<ItemPass>& ItemPasses() const { return passes_; }
  // The host loads and stores item sets through the items table's record
  // buffer, leaving the last record of the set there, as a host that reads
  // its records one at a time does.
  void ItemsThroughBuffer(bool through) { throughBuffer_ = through; }

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t CurrentContext(HostCall& call);
  uint32_t ItemArrayRef(HostCall& call);
  uint32_t ItemCountRef(HostCall& call);
  uint32_t AssignContractor(HostCall& call);
  uint32_t LoadSelection(HostCall& call);
  uint32_t ProcessItemSet(HostCall& call);
  uint32_t SyncDocumentItems(HostCall& call);
  uint32_t StoreSelection(HostCall& call);

  const SimSelection* GivenSelection(const HostCall& call, int arg);
  // Checks that the module hands back the set of the latest load as the host left it.
  bool SameSet(const HostCall& call, const void* records, const int32_t* count);
  void RebuildArray();

  Host& host_;
  kw::OperationContext* context_;
  uint8_t*** arrayCell_;
  int32_t* countCell_;
  std::vector<uint8_t*> lines_;
  uint8_t** array_ = nullptr;

  std::vector<Assignment> assignments_;
  int assignAnswer_ = 1;

  std::vector<ItemPass> passes_;
  uint8_t* set_ = nullptr;  // the records of the latest load
  int32_t setCount_ = 0;
  int32_t setAux_ = 0;
  const SimSelection* setSelection_ = nullptr;
  bool throughBuffer_ = false;
};

}  // namespace hostsim
