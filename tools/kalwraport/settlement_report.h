// kalwraport's report of a Settlement: text for people (UTF-8, the console
// conversion is WriteText's), CSV for a Polish spreadsheet (Windows-1250,
// ';', decimal comma, CR LF) and JSON for scripts (ASCII, \uXXXX escapes).
// Each form holds the period, the verdict and the lines that could not be
// read, with their reasons. The writers hand the report on section by
// section, row by row.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "settlement.h"

namespace kw::tools {

struct ReportInput {
  std::string journalPath;  // UTF-8, as shown
  const Settlement& settlement;
};

// Where a report goes, piece by piece as it is written (the CSV's pieces
// already in Windows-1250, the others in UTF-8), so that no report is ever
// held whole in memory.
using ReportSink = std::function<void(std::string_view)>;

void WriteSettlementText(const ReportInput& input, const ReportSink& out);
void WriteSettlementCsv(const ReportInput& input, const ReportSink& out);
void WriteSettlementJson(const ReportInput& input, const ReportSink& out);

// The same, whole, for tests.
std::string SettlementText(const ReportInput& input);
std::string SettlementCsv(const ReportInput& input);
std::string SettlementJson(const ReportInput& input);

}  // namespace kw::tools
