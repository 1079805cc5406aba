// kalwraport's report of a Settlement: text for people (UTF-8, the console
// conversion is WriteText's), CSV for a Polish spreadsheet (Windows-1250,
// ';', decimal comma, CR LF) and JSON for scripts (ASCII, \uXXXX escapes).
// Each form holds the period, the verdict and the lines that could not be
// read, with their reasons.
#pragma once

#include <string>

#include "settlement.h"

namespace kw::tools {

struct ReportInput {
  std::string journalPath;  // UTF-8, as shown
  const Settlement& settlement;
};

std::string SettlementText(const ReportInput& input);
std::string SettlementCsv(const ReportInput& input);
std::string SettlementJson(const ReportInput& input);

}  // namespace kw::tools
