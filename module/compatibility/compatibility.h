// The verdict at installation whether the module fits this host: the host's
// own verdict, interface version 112 and the record lengths of the four
// declared tables (table_size_checks.h); the report of the lengths that
// differ, and the "STOP!!!" explanation of a module that the host did not
// activate.
#pragma once

#include "table_size_checks.h"

namespace kw {

inline constexpr int kMessageBufferSize = 3072;

int CheckHostCompatibility();  // 0 compatible, -1 not
int BuildSizeMismatchReport(char (&buffer)[kMessageBufferSize]);  // -1 with a report, 0 without
void DiagnoseNotActive();

}  // namespace kw
