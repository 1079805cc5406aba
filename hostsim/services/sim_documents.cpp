#include "sim_documents.h"

#include <algorithm>
#include <cstring>

#include "guarded_memory.h"
#include "sim_tables.h"

namespace hostsim {

namespace {
constexpr int kItemParamsSize = 44;
constexpr int32_t kAuxMark = 0x5E7A0000;  // the host's own value beside an item set
}  // namespace

SimDocuments::SimDocuments(Host& host)
    : host_(host),
      context_(NewGuarded<kw::OperationContext>()),
      arrayCell_(NewGuarded<uint8_t**>()),
      countCell_(NewGuarded<int32_t>()) {
  RebuildArray();

  host.On("HostCurrentContext", [this](HostCall& call) { return CurrentContext(call); });
  host.On("HostItemArrayRef", [this](HostCall& call) { return ItemArrayRef(call); });
  host.On("HostItemCountRef", [this](HostCall& call) { return ItemCountRef(call); });
  host.On("HostAssignContractor", [this](HostCall& call) { return AssignContractor(call); });
  host.On("HostLoadSelection", [this](HostCall& call) { return LoadSelection(call); });
  host.On("HostProcessItemSet", [this](HostCall& call) { return ProcessItemSet(call); });
  host.On("HostSyncDocumentItems", [this](HostCall& call) { return SyncDocumentItems(call); });
  host.On("HostStoreSelection", [this](HostCall& call) { return StoreSelection(call); });
}

uint32_t SimDocuments::CurrentContext(HostCall&) {
  return reinterpret_cast<uint32_t>(context_);
}

uint32_t SimDocuments::ItemArrayRef(HostCall&) {
  return reinterpret_cast<uint32_t>(arrayCell_);
}

uint32_t SimDocuments::ItemCountRef(HostCall&) {
  return reinterpret_cast<uint32_t>(countCell_);
}

// HostAssignContractor(document table, kind, document record, 0): the
// current contractor goes over into the document.
uint32_t SimDocuments::AssignContractor(HostCall& call) {
  SimTables& tables = host_.Use<SimTables>();
  const auto* table = call.Ptr<HostTable>(0);
  const auto* record = call.Ptr<uint8_t>(2);
  if (!table || table != tables.Find(44) || record != table->RecordBuffer) {
    host_.ReportFault("HostAssignContractor without the sales table and its record buffer");
    return 0;
  }
  const uint8_t* contractor = tables.RecordBuffer(35);
  assignments_.push_back({table, call.Int(1), record, call.Int(3),
                          contractor ? std::string(kw::AsContractor(const_cast<uint8_t*>(contractor))->ContrSymbol)
                                     : std::string()});
  return static_cast<uint32_t>(assignAnswer_);
}

// HostLoadSelection(&records, &aux, &count, most, table, selection): the
// selected records, at most `most`, in a block of the host's.
uint32_t SimDocuments::LoadSelection(HostCall& call) {
  auto** records = call.Ptr<uint8_t*>(0);
  auto* aux = call.Ptr<int32_t>(1);
  auto* count = call.Ptr<int32_t>(2);
  const int most = call.Int(3);
  const SimSelection* selection = GivenSelection(call, 5);
  if (!selection) return 0;
  if (!records || !aux || !count || most <= 0) {
    host_.ReportFault("HostLoadSelection without its three cells or with no room");
    return 0;
  }
  if (*records && *records != set_) {
    host_.ReportFault("HostLoadSelection into a records pointer the host did not give");
    return 0;
  }
  SimTables& tables = host_.Use<SimTables>();
  const int length = tables.Find(selection->table)->RecordLength;
  ItemPass pass{selection->table, {}, *records, *aux, nullptr, {}, 0, false, false};
  const std::size_t loaded = std::min<std::size_t>(selection->records.size(), most);
  pass.loaded.assign(selection->records.begin(), selection->records.begin() + loaded);
  ReleaseGuarded(set_);
  set_ = static_cast<uint8_t*>(AllocateGuarded(std::max<std::size_t>(loaded * length, 1)));
  for (std::size_t i = 0; i < loaded; ++i) {
    std::memcpy(set_ + i * length, tables.Record(selection->table, pass.loaded[i]).data(), length);
    if (throughBuffer_) std::memcpy(tables.RecordBuffer(selection->table), set_ + i * length, length);
  }
  setCount_ = static_cast<int32_t>(loaded);
  setAux_ = kAuxMark + static_cast<int32_t>(passes_.size());
  setSelection_ = selection;
  *records = set_;
  pass.recordsOut = set_;
  *aux = setAux_;
  *count = setCount_;
  passes_.push_back(std::move(pass));
  return 1;
}

// HostProcessItemSet(key, table, records, &count, selection, flags, 0, 1, &params, 0, 0, 0)
uint32_t SimDocuments::ProcessItemSet(HostCall& call) {
  const SimSelection* selection = GivenSelection(call, 4);
  if (!selection || !SameSet(call, call.Ptr<void>(2), call.Ptr<int32_t>(3))) return 0;
  const auto* params = call.Ptr<const char>(8);
  if (!params) {
    host_.ReportFault("HostProcessItemSet without its parameter block");
    return 0;
  }
  passes_.back().params.assign(params, kItemParamsSize);
  passes_.back().flags = call.Int(5);
  return 1;
}

// HostSyncDocumentItems(records, count, document record, 0, 0)
uint32_t SimDocuments::SyncDocumentItems(HostCall& call) {
  const int32_t count = call.Int(1);
  if (!SameSet(call, call.Ptr<void>(0), &count)) return 0;
  if (call.Ptr<uint8_t>(2) != host_.Use<SimTables>().RecordBuffer(44)) {
    host_.ReportFault("HostSyncDocumentItems into something other than the sales record buffer");
    return 0;
  }
  passes_.back().synced = true;
  return 1;
}

// HostStoreSelection(&records, &aux, &count, most, table, selection): the
// set goes back into the table's records.
uint32_t SimDocuments::StoreSelection(HostCall& call) {
  auto** records = call.Ptr<uint8_t*>(0);
  auto* aux = call.Ptr<int32_t>(1);
  auto* count = call.Ptr<int32_t>(2);
  const SimSelection* selection = GivenSelection(call, 5);
  if (!selection) return 0;
  if (!records || !aux || !count) {
    host_.ReportFault("HostStoreSelection without its three cells");
    return 0;
  }
  if (!SameSet(call, *records, count)) return 0;
  if (*aux != setAux_) {
    host_.ReportFault("HostStoreSelection with an auxiliary value the host did not leave");
    return 0;
  }
  SimTables& tables = host_.Use<SimTables>();
  ItemPass& pass = passes_.back();
  const int length = tables.Find(pass.table)->RecordLength;
  for (std::size_t i = 0; i < pass.loaded.size(); ++i) {
    tables.Record(pass.table, pass.loaded[i]).assign(reinterpret_cast<const char*>(set_ + i * length), length);
    if (throughBuffer_) std::memcpy(tables.RecordBuffer(pass.table), set_ + i * length, length);
  }
  pass.stored = true;
  return 1;
}

SimDocuments::~SimDocuments() {
  for (uint8_t* line : lines_) ReleaseGuarded(line);
  ReleaseGuarded(array_);
  ReleaseGuarded(set_);
  ReleaseGuarded(context_);
  ReleaseGuarded(arrayCell_);
  ReleaseGuarded(countCell_);
}

// The selection argument at `arg`, checked to be a live selection of the
// table object given in argument 4 or 1 (whichever the function takes).
const SimSelection* SimDocuments::GivenSelection(const HostCall& call, int arg) {
  SimTables& tables = host_.Use<SimTables>();
  const SimSelection* selection = tables.SelectionOf(call.Ptr<HostSelection>(arg));
  const std::string name = call.info->name;
  if (!selection) {
    host_.ReportFault(name + " with a selection the host did not give");
    return nullptr;
  }
  const int tableArg = name == "HostProcessItemSet" ? 1 : 4;
  if (call.Ptr<HostTable>(tableArg) != tables.Find(selection->table)) {
    host_.ReportFault(name + " with a table other than its selection's");
    return nullptr;
  }
  if (name != "HostLoadSelection" && host_.Lacks("HostLoadSelection")) return nullptr;  // nothing was loaded
  if (name != "HostLoadSelection" && selection != setSelection_) {
    host_.ReportFault(name + " with a selection other than the loaded one");
    return nullptr;
  }
  return selection;
}

bool SimDocuments::SameSet(const HostCall& call, const void* records, const int32_t* count) {
  const std::string name = call.info->name;
  if (host_.Lacks("HostLoadSelection")) return false;  // nothing was loaded
  if (!set_ || passes_.empty()) {
    host_.ReportFault(name + " before any item set was loaded");
    return false;
  }
  if (records != set_) {
    host_.ReportFault(name + " with a records pointer other than the host's");
    return false;
  }
  if (!count || *count != setCount_) {
    host_.ReportFault(name + " with a count other than the host left");
    return false;
  }
  return true;
}

kw::ItemLine& SimDocuments::AddItemLine(int warehouse, uint32_t refA, uint16_t refB) {
  auto* line = static_cast<uint8_t*>(AllocateGuarded(kw::kItemRecordLength));
  lines_.push_back(line);
  kw::ItemLine* item = kw::AsItemLine(line);
  item->ItemWarehouse = static_cast<int16_t>(warehouse);
  item->ItemRefA = refA;
  item->ItemRefB = refB;
  RebuildArray();
  *countCell_ = static_cast<int32_t>(lines_.size());
  return *item;
}

void SimDocuments::ClearItemLines() {
  for (uint8_t* line : lines_) ReleaseGuarded(line);
  lines_.clear();
  RebuildArray();
  *countCell_ = 0;
}

SimDocuments::InHand SimDocuments::TakeInHand() const {
  InHand held{context_->CtxDocKind, {}};
  for (const uint8_t* line : lines_) {
    held.lines.emplace_back(reinterpret_cast<const char*>(line), kw::kItemRecordLength);
  }
  return held;
}

void SimDocuments::PutInHand(const InHand& held) {
  ClearItemLines();
  for (const std::string& bytes : held.lines) {
    std::memcpy(&AddItemLine(0), bytes.data(), kw::kItemRecordLength);
  }
  context_->CtxDocKind = held.kind;
}

void SimDocuments::RebuildArray() {
  ReleaseGuarded(array_);
  array_ = static_cast<uint8_t**>(AllocateGuarded(std::max<std::size_t>(lines_.size(), 1) * sizeof(uint8_t*)));
  std::copy(lines_.begin(), lines_.end(), array_);
  *arrayCell_ = array_;
}

}  // namespace hostsim
