// kalwraport's report of a Settlement: text for people (UTF-8, the console
// conversion is WriteText's), CSV for a Polish spreadsheet (Windows-1250,
// ';', decimal comma, CR LF) and JSON for scripts (ASCII, \uXXXX escapes).
#pragma once

#include <string>

#include "journal.h"
#include "settlement.h"

namespace kw::tools {

struct ReportInput {
  std::string journalPath;  // UTF-8, as shown
  Period period;
  const Journal& journal;
  const Settlement& settlement;
};

std::string SettlementText(const ReportInput& input);
std::string SettlementCsv(const ReportInput& input);
std::string SettlementJson(const ReportInput& input);

// The lines that could not be read, for stderr: their count and the first
// ones with the reason; empty when every line was read.
std::string UnreadableLinesText(const Journal& journal);

}  // namespace kw::tools
