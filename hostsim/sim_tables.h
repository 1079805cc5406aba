// The host's tables: table objects with their current-record buffers (guarded),
// the records of each table, the keys that reach them, and cursors walking a key.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host.h"
#include "host_records.h"

namespace hostsim {

class SimTables : public HostComponent {
 public:
  explicit SimTables(Host& host);
  ~SimTables() override;

  // Tables 35, 44, 45, 49 and 400 exist from the start with their usual record lengths.
  static int UsualRecordLength(int number);

  // A table with records of the given length (the usual one when 0), empty.
  HostTable* Define(int number, int recordLength = 0);
  void Remove(int number);  // the host then has no such table
  HostTable* Find(int number) const;
  uint8_t* RecordBuffer(int number) const;

  // Appends a record (cut or zero-padded to the record length) reached by the keys given.
  int AddRecord(int number, std::string bytes, const std::vector<int>& keys);
  std::string& Record(int number, int index);
  // Makes a record the current one, as the host's own screens do.
  void MakeCurrent(int number, int index);

  // A contractor with this symbol (UTF-8) in table 35, reached by the keys given.
  int AddContractor(const std::string& symbol, const std::vector<int>& keys = {6});

  // What HostCursorNext answers at the end of a walk (0 unless a test says otherwise).
  void SetCursorEndAnswer(int answer) { cursorEndAnswer_ = answer; }
  int OpenCursors() const { return static_cast<int>(cursors_.size()); }

 private:
  struct Table {
    HostTable* object = nullptr;
    std::vector<std::string> records;
    std::map<int, std::vector<int>> keys;  // key number -> record indices in walk order
  };
  struct Cursor {
    int table;
    int key;
    std::size_t next;
  };
  Table* TableOf(const HostTable* object);
  void Release(Table& table);

  Host& host_;
  std::map<int, Table> tables_;
  std::map<const void*, Cursor> cursors_;  // by the address of the module's cursor
  int cursorEndAnswer_ = 0;
};

}  // namespace hostsim
