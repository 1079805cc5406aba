// Whether the module fits this host: the host's own verdict, interface version
// 112 and the record lengths of the four declared tables; and the "STOP!!!"
// explanation of a module that the host did not activate.
#pragma once

#include <cstdint>

namespace kw {

struct TableSizeCheck {
  int32_t ExpectedSize;       // the record length the module is built for
  int32_t HostSize;           // the host's record length; 0 when it has no such table
  const char* TableName;
  TableSizeCheck* NextCheck;  // next on the mismatch list
};

inline constexpr int kMessageBufferSize = 3072;

extern TableSizeCheck* SizeMismatchList;

int CheckHostCompatibility();  // 0 compatible, -1 not
int DeclareTableSizes();       // records on the mismatch list
int AppendSizeMismatch(TableSizeCheck* check);  // always -1
int BuildSizeMismatchReport(char (&buffer)[kMessageBufferSize]);  // -1 with a report, 0 without
void DiagnoseNotActive();

}  // namespace kw
