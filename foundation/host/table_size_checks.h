// The record lengths the module is built for, set against the host's tables:
// the four declared tables, and the list of those whose lengths differ, which
// the installation's report and the JPK register's handler both enter.
#pragma once

#include <cstdint>

namespace kw {

struct TableSizeCheck {
  int32_t ExpectedSize;       // the record length the module is built for
  int32_t HostSize;           // the host's record length; 0 when it has no such table
  const char* TableName;
  TableSizeCheck* NextCheck;  // next on the mismatch list
};

// The list itself is SizeMismatchList (module_globals.h).
int DeclareTableSizes();       // records on the mismatch list
int AppendSizeMismatch(TableSizeCheck* check);  // always -1

}  // namespace kw
