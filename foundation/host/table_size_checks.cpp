#include "table_size_checks.h"

#include "host_records.h"

namespace kw {

TableSizeCheck* SizeMismatchList = nullptr;

namespace {

struct DeclaredTable {
  int number;
  const char* name;
  int32_t expectedSize;
};
constexpr DeclaredTable kDeclaredTables[] = {
    {kDocTable, "Tspr", kDocRecordLength},
    {kItemTable, "Tspr_dok", kItemRecordLength},
    {kK9Table, "k9", kK9RecordLength},
    {kJpkTable, "Ewid_JPK", kJpkRecordLength},
};
TableSizeCheck declaredChecks[4] = {};

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
  for (int i = 0; i < 4; ++i) {
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
