#include "table_size_checks.h"

#include "host_records.h"
#include "module_globals.h"

namespace kw {

TableSizeCheck* SizeMismatchList = nullptr;

namespace {

struct DeclaredTable {
  int number;
  const char* name;
  int32_t expectedSize;
};
constexpr DeclaredTable kDeclaredTables[] = {
    {kDocTable, kDocTableName, kDocRecordLength},
    {kItemTable, kItemTableName, kItemRecordLength},
    {kK9Table, kK9TableName, kK9RecordLength},
    {kJpkTable, kJpkTableName, kJpkRecordLength},
};
constexpr int kDeclaredTableCount = sizeof kDeclaredTables / sizeof kDeclaredTables[0];
TableSizeCheck declaredChecks[kDeclaredTableCount] = {};

int ListLength() {
  int count = 0;
  for (TableSizeCheck* check = SizeMismatchList; check; check = check->NextCheck) ++count;
  return count;
}

}  // namespace

int AppendSizeMismatch(TableSizeCheck* check) {
  if (!SizeMismatchList) {
    SizeMismatchList = check;
    return -1;
  }
  TableSizeCheck* last = SizeMismatchList;
  for (;;) {
    if (last == check) return -1;
    if (!last->NextCheck) break;
    last = last->NextCheck;
  }
  last->NextCheck = check;
  return -1;
}

int DeclareTableSizes() {
  for (int i = 0; i < kDeclaredTableCount; ++i) {
    TableSizeCheck& check = declaredChecks[i];
    HostTable* table = HostGetTable(kDeclaredTables[i].number);
    check.HostSize = table ? table->RecordLength : 0;
    check.ExpectedSize = kDeclaredTables[i].expectedSize;
    check.TableName = kDeclaredTables[i].name;
    if (check.ExpectedSize != check.HostSize) AppendSizeMismatch(&check);
  }
  return ListLength();
}

}  // namespace kw
