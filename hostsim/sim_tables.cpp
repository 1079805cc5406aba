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

  host.On("HostGetTable", [this](HostCall& call) -> uint32_t {
    return reinterpret_cast<uint32_t>(Find(call.Int(0)));
  });
  host.On("HostPrepareTable", [this](HostCall& call) -> uint32_t {
    if (!TableOf(call.Ptr<HostTable>(0))) host_.ReportFault("HostPrepareTable on an unknown table object");
    return 0;
  });
  host.On("HostMakeKey", [this](HostCall& call) -> uint32_t {
    if (!TableOf(call.Ptr<HostTable>(1))) host_.ReportFault("HostMakeKey on an unknown table object");
    auto* keyBuffer = call.Ptr<int32_t>(2);
    keyBuffer[0] = call.Int(0);
    keyBuffer[1] = call.Int(3);
    return 0;
  });
  host.On("HostCursorOpen", [this](HostCall& call) -> uint32_t {
    const void* cursor = call.Ptr<void>(0);
    Table* table = TableOf(call.Ptr<HostTable>(1));
    if (!table) {
      host_.ReportFault("HostCursorOpen on an unknown table object");
      return 0;
    }
    if (cursors_.count(cursor)) host_.ReportFault("HostCursorOpen on a cursor that is open");
    const int key = call.Int(2);
    if (!table->keys.count(key)) return 0;
    int number = 0;
    for (const auto& [n, t] : tables_) {
      if (&t == table) number = n;
    }
    cursors_[cursor] = {number, key, 0};
    std::memcpy(call.Ptr<void>(0), &kCursorMark, sizeof kCursorMark);
    return 1;
  });
  host.On("HostCursorNext", [this](HostCall& call) -> uint32_t {
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
  });
  host.On("HostCursorClose", [this](HostCall& call) -> uint32_t {
    cursors_.erase(call.Ptr<void>(0));
    return 0;
  });
}

SimTables::~SimTables() {
  for (auto& [number, table] : tables_) Release(table);
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

int SimTables::AddRecord(int number, std::string bytes, const std::vector<int>& keys) {
  Table& table = tables_.at(number);
  bytes.resize(table.object->RecordLength, '\0');
  table.records.push_back(std::move(bytes));
  const int index = static_cast<int>(table.records.size()) - 1;
  for (const int key : keys) table.keys[key].push_back(index);
  return index;
}

std::string& SimTables::Record(int number, int index) { return tables_.at(number).records.at(index); }

void SimTables::MakeCurrent(int number, int index) {
  Table& table = tables_.at(number);
  std::memcpy(table.object->RecordBuffer, table.records.at(index).data(), table.object->RecordLength);
}

int SimTables::AddContractor(const std::string& symbol, const std::vector<int>& keys) {
  kw::ContractorRecord record{};
  const std::string mazovia = Utf8ToMazovia(symbol);
  std::memcpy(record.ContrSymbol, mazovia.data(), std::min(mazovia.size(), sizeof record.ContrSymbol - 1));
  return AddRecord(35, std::string(reinterpret_cast<const char*>(&record), sizeof record), keys);
}

}  // namespace hostsim
