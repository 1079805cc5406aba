#include "sim_tables.h"

#include <algorithm>
#include <cstring>

#include "guarded_memory.h"
#include "text_codec.h"

namespace hostsim {

namespace {
constexpr int kUsualTables[] = {35, 44, 45, 49, 400};
constexpr uint32_t kCursorMark = 0xC0C0500Fu;
}  // namespace

int SimTables::UsualRecordLength(int number) {
  switch (number) {
    case 35: return sizeof(kw::ContractorRecord);
    case 44: return kw::kDocRecordLength;
    case 45: return kw::kItemRecordLength;
    case 49: return kw::kK9RecordLength;
    case 400: return kw::kJpkRecordLength;
  }
  return 512;
}

SimTables::SimTables(Host& host) : host_(host) {
  for (const int number : kUsualTables) Define(number);

  host.On("HostGetTable", [this](HostCall& call) { return GetTable(call); });
  host.On("HostPrepareTable", [this](HostCall& call) { return PrepareTable(call); });
  host.On("HostMakeKey", [this](HostCall& call) { return MakeKey(call); });
  host.On("HostCursorOpen", [this](HostCall& call) { return CursorOpen(call); });
  host.On("HostCursorNext", [this](HostCall& call) { return CursorNext(call); });
  host.On("HostCursorClose", [this](HostCall& call) { return CursorClose(call); });
  host.On("HostSelectRecords", [this](HostCall& call) { return SelectRecords(call); });
  host.On("HostReadSelected", [this](HostCall& call) { return ReadSelected(call); });
  host.On("HostWriteSelected", [this](HostCall& call) { return WriteSelected(call); });
  host.On("HostFreeSelection", [this](HostCall& call) { return FreeSelection(call); });
}

uint32_t SimTables::GetTable(HostCall& call) {
  if (hidden_.count(call.Int(0))) return 0;
  return reinterpret_cast<uint32_t>(Find(call.Int(0)));
}

uint32_t SimTables::PrepareTable(HostCall& call) {
  RequireTable(call, 0);
  return 0;
}

uint32_t SimTables::MakeKey(HostCall& call) {
  RequireTable(call, 1);
  auto* keyBuffer = call.Ptr<int32_t>(2);
  keyBuffer[0] = call.Int(0);
  keyBuffer[1] = call.Int(3);
  return 0;
}

// HostCursorOpen(cursor, table, key number, key buffer, 0, 0)
uint32_t SimTables::CursorOpen(HostCall& call) {
  const void* cursor = call.Ptr<void>(0);
  Table* table = RequireTable(call, 1);
  if (!table) return 0;
  if (cursors_.count(cursor)) host_.ReportFault("HostCursorOpen on a cursor that is open");
  const KeyRef key(call.Int(2), call.Ptr<int32_t>(3)[1]);
  if (!table->keys.count(key)) return 0;
  cursors_.insert({cursor, Cursor{NumberOf(call.Ptr<HostTable>(1)), key, 0}});
  std::memcpy(call.Ptr<void>(0), &kCursorMark, sizeof kCursorMark);
  return 1;
}

uint32_t SimTables::CursorNext(HostCall& call) {
  auto found = cursors_.find(call.Ptr<void>(0));
  if (found == cursors_.end()) {
    host_.ReportFault("HostCursorNext on a cursor that is not open");
    return 0;
  }
  Cursor& cursor = found->second;
  Table& table = tables_.at(cursor.table);
  const std::vector<int>& order = table.keys[cursor.key];
  if (cursor.next >= order.size()) return static_cast<uint32_t>(cursorEndAnswer_);
  MakeCurrent(cursor.table, order[cursor.next++]);
  return 1;
}

uint32_t SimTables::CursorClose(HostCall& call) {
  cursors_.erase(call.Ptr<void>(0));
  return 0;
}

// HostSelectRecords(key number, key buffer, table, &count): the records the key reaches.
uint32_t SimTables::SelectRecords(HostCall& call) {
  Table* table = RequireTable(call, 2);
  if (!table) return 0;
  const KeyRef key(call.Int(0), call.Ptr<int32_t>(1)[1]);
  if (std::count(failedSelections_.begin(), failedSelections_.end(), key.key)) return 0;
  auto* selection = new SimSelection{NumberOf(table->object), {}};
  if (table->keys.count(key)) selection->records = table->keys[key];
  selections_.insert(selection);
  *call.Ptr<int32_t>(3) = static_cast<int32_t>(selection->records.size());
  return reinterpret_cast<uint32_t>(selection);
}

// HostReadSelected(entry numbers or null, position, table, 0, selection)
uint32_t SimTables::ReadSelected(HostCall& call) {
  Table* table = RequireTable(call, 2);
  if (!table) return 0;
  const int number = NumberOf(table->object);
  for (const auto& [failedTable, position] : failedReads_) {
    if (failedTable == number && position == call.Int(1)) return 0;
  }
  const int record = RecordAt(call, *table);
  if (record < 0) return 0;
  MakeCurrent(number, record);
  return 1;
}

// HostWriteSelected(entry numbers or null, position, table, 0, selection): stores the current record.
uint32_t SimTables::WriteSelected(HostCall& call) {
  Table* table = RequireTable(call, 2);
  if (!table) return 0;
  const int record = RecordAt(call, *table);
  if (record < 0) return 0;
  table->records[record].assign(reinterpret_cast<const char*>(table->object->RecordBuffer),
                                table->object->RecordLength);
  table->written.push_back(record);
  return 1;
}

// HostFreeSelection(&selection)
uint32_t SimTables::FreeSelection(HostCall& call) {
  auto** cell = call.Ptr<SimSelection*>(0);
  if (!cell || !selections_.erase(*cell)) {
    host_.ReportFault("HostFreeSelection of a selection the host did not give");
    return 0;
  }
  delete *cell;
  *cell = nullptr;
  return 0;
}

SimTables::Table* SimTables::RequireTable(const HostCall& call, int arg) {
  Table* table = TableOf(call.Ptr<HostTable>(arg));
  if (!table) host_.ReportFault(std::string(call.info->name) + " on an unknown table object");
  return table;
}

int SimTables::NumberOf(const HostTable* object) const {
  for (const auto& [number, table] : tables_) {
    if (object && table.object == object) return number;
  }
  return -1;
}

int SimTables::RecordAt(const HostCall& call, const Table& table) {
  const int* numbers = call.Ptr<const int>(0);
  const int position = call.Int(1);
  auto* selection = call.Ptr<SimSelection>(4);
  int record = -1;
  if (numbers) {
    record = numbers[position] - 1;
  } else if (selection && selections_.count(selection) && position >= 0 &&
             position < static_cast<int>(selection->records.size())) {
    record = selection->records[position];
  } else {
    host_.ReportFault(std::string(call.info->name) + " at a position outside its selection");
  }
  return record >= 0 && record < static_cast<int>(table.records.size()) ? record : -1;
}

SimTables::~SimTables() {
  for (auto& [number, table] : tables_) Release(table);
  for (SimSelection* selection : selections_) delete selection;
}

void SimTables::Release(Table& table) {
  if (!table.object) return;
  ReleaseGuarded(table.object->RecordBuffer);
  ReleaseGuarded(table.object);
  table.object = nullptr;
}

HostTable* SimTables::Define(int number, int recordLength) {
  if (recordLength <= 0) recordLength = UsualRecordLength(number);
  Table& table = tables_[number];
  Release(table);
  table.records.clear();
  table.keys.clear();
  table.object = NewGuarded<HostTable>();
  table.object->RecordLength = static_cast<int16_t>(recordLength);
  table.object->RecordBuffer = static_cast<uint8_t*>(AllocateGuarded(recordLength));
  return table.object;
}

void SimTables::Remove(int number) {
  auto found = tables_.find(number);
  if (found == tables_.end()) return;
  Release(found->second);
  tables_.erase(found);
}

HostTable* SimTables::Find(int number) const {
  auto found = tables_.find(number);
  return found == tables_.end() ? nullptr : found->second.object;
}

uint8_t* SimTables::RecordBuffer(int number) const {
  HostTable* table = Find(number);
  return table ? table->RecordBuffer : nullptr;
}

SimTables::Table* SimTables::TableOf(const HostTable* object) {
  for (auto& [number, table] : tables_) {
    if (object && table.object == object) return &table;
  }
  return nullptr;
}

int SimTables::AddRecord(int number, std::string bytes, const std::vector<KeyRef>& keys) {
  Table& table = tables_.at(number);
  bytes.resize(table.object->RecordLength, '\0');
  table.records.push_back(std::move(bytes));
  const int index = static_cast<int>(table.records.size()) - 1;
  for (const KeyRef& key : keys) table.keys[key].push_back(index);
  return index;
}

std::string& SimTables::Record(int number, int index) { return tables_.at(number).records.at(index); }

void SimTables::MakeCurrent(int number, int index) {
  Table& table = tables_.at(number);
  std::memcpy(table.object->RecordBuffer, table.records.at(index).data(), table.object->RecordLength);
}

int SimTables::AddContractor(const std::string& symbol, const std::vector<KeyRef>& keys) {
  kw::ContractorRecord record{};
  PutMazovia(record.ContrSymbol, symbol);
  return AddRecord(35, std::string(reinterpret_cast<const char*>(&record), sizeof record), keys);
}

}  // namespace hostsim
