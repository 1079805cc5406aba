// The host's tables: table objects with their current-record buffers (guarded),
// the records of each table, the keys that reach them (a key number and a
// value), cursors walking a key, and selections of the records a key reaches.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "host.h"
#include "host_records.h"

namespace hostsim {

// A key number and the value it is built from (HostMakeKey).
struct KeyRef {
  KeyRef(int key, int value = 0) : key(key), value(value) {}  // NOLINT: a bare key number means value 0
  int key;
  int value;
  bool operator<(const KeyRef& other) const { return key != other.key ? key < other.key : value < other.value; }
};

// What a HostSelection handed to the module stands for.
struct SimSelection {
  int table;
  std::vector<int> records;  // record indices in selection order
};

class SimTables : public HostComponent {
 public:
  explicit SimTables(Host& host);
  ~SimTables() override;

  // Tables 35, 44, 45, 49 and 400 exist from the start with their usual record lengths.
  static int UsualRecordLength(int number);

  // A table with records of the given length (the usual one when 0), empty.
  HostTable* Define(int number, int recordLength = 0);
  void Remove(int number);  // the host then has no such table
  // HostGetTable answers null for the table while it is hidden; its records stay.
  void Hide(int number, bool hidden) {
    if (hidden) hidden_.insert(number);
    else hidden_.erase(number);
  }
  HostTable* Find(int number) const;
  uint8_t* RecordBuffer(int number) const;

  // Appends a record (cut or zero-padded to the record length) reached by the keys given.
  int AddRecord(int number, std::string bytes, const std::vector<KeyRef>& keys);
  int RecordCount(int number) const { return static_cast<int>(tables_.at(number).records.size()); }
  std::string& Record(int number, int index);
  // Makes a record the current one, as the host's own screens do.
  void MakeCurrent(int number, int index);

  // A contractor with this symbol (UTF-8) in table 35, reached by the keys given.
  int AddContractor(const std::string& symbol, const std::vector<KeyRef>& keys = {6});

  // What HostCursorNext answers at the end of a walk (0 unless a test says otherwise).
  void SetCursorEndAnswer(int answer) { cursorEndAnswer_ = answer; }
  int OpenCursors() const { return static_cast<int>(cursors_.size()); }

  // HostSelectRecords answers null for this key, as when the host cannot select.
  void FailSelection(int key) { failedSelections_.push_back(key); }
  // HostReadSelected answers 0 at this position of any selection of the table.
  void FailReadAt(int number, int position) { failedReads_.push_back({number, position}); }
  int LiveSelections() const { return static_cast<int>(selections_.size()); }
  // What a selection handed to the module stands for; null when the host did not give it or has freed it.
  const SimSelection* SelectionOf(const HostSelection* selection) const {
    auto* given = reinterpret_cast<SimSelection*>(const_cast<HostSelection*>(selection));
    return selections_.count(given) ? given : nullptr;
  }
  // Record indices written back by HostWriteSelected, in order.
  const std::vector<int>& WrittenRecords(int number) { return tables_.at(number).written; }

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t GetTable(HostCall& call);
  uint32_t PrepareTable(HostCall& call);
  uint32_t MakeKey(HostCall& call);
  uint32_t CursorOpen(HostCall& call);
  uint32_t CursorNext(HostCall& call);
  uint32_t CursorClose(HostCall& call);
  uint32_t SelectRecords(HostCall& call);
  uint32_t ReadSelected(HostCall& call);
  uint32_t WriteSelected(HostCall& call);
  uint32_t FreeSelection(HostCall& call);

  struct Table {
    HostTable* object = nullptr;
    std::vector<std::string> records;
    std::map<KeyRef, std::vector<int>> keys;  // record indices in walk order
    std::vector<int> written;
  };
  struct Cursor {
    int table;
    KeyRef key;
    std::size_t next;
  };
  Table* TableOf(const HostTable* object);
  // The table an argument names; a fault of the module when it names none.
  Table* RequireTable(const HostCall& call, int arg);
  int NumberOf(const HostTable* object) const;
  // The record index that a read or write at a position means: the entry's
  // number (counted from 1) when a number array is given, else the selection's.
  int RecordAt(const HostCall& call, const Table& table);
  void Release(Table& table);

  Host& host_;
  std::map<int, Table> tables_;
  std::map<const void*, Cursor> cursors_;  // by the address of the module's cursor
  int cursorEndAnswer_ = 0;
  std::set<SimSelection*> selections_;
  std::set<int> hidden_;
  std::vector<int> failedSelections_;
  std::vector<std::pair<int, int>> failedReads_;
};

}  // namespace hostsim
