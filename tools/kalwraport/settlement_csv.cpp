#include <vector>

#include "settlement_report.h"
#include "settlement_words.h"
#include "windows1250.h"

namespace kw::tools {

namespace {

const char* const kSalesSumSection = "Sprzedaż komisowa - suma";

// A field as a Polish spreadsheet reads it: quoted where it holds ';', '"'
// or a line end.
std::string Field(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

class CsvWriter {
 public:
  explicit CsvWriter(const ReportInput& input) : in_(input), s_(input.settlement) {}

  std::string Write() {
    Line({"sekcja", "data", "czas", "dokument", "kwota", "kontrahent", "opis", "uwagi"});
    for (const Sale& sale : s_.sales) Record(kSalesTitle, sale.conversion, true, SaleNote(sale));
    Line({kSalesSumSection, "", "", CountOf(static_cast<int64_t>(s_.sales.size()), "dokument", "dokumenty", "dokumentów"),
          s_.sumOutOfRange ? "" : AmountText(s_.salesSum), "", "",
          s_.salesWithoutAmount ? "bez kwoty (niewliczone): " + std::to_string(s_.salesWithoutAmount) : ""});
    for (const Exclusion& exclusion : s_.exclusions) {
      Record(kExclusionsTitle, exclusion.removal, false, ExclusionNote(exclusion));
    }
    for (const JournalRecord* r : s_.removedNotConverted) Record(kRemovedNotConvertedTitle, r, false, kRemovedNotConvertedLikely);
    for (const JournalRecord* r : s_.convertedNotRemoved) Record(kConvertedNotRemovedTitle, r, true, kConvertedNotRemovedLikely);
    for (const JournalRecord* r : s_.leftInJpk) Record(kLeftInJpkTitle, r, false, "");
    return Utf8ToCp1250(utf8_);
  }

 private:
  void Line(const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) utf8_ += (i ? ";" : "") + Field(fields[i]);
    utf8_ += "\r\n";
  }

  void Record(const char* section, const JournalRecord* r, bool withAmount, const std::string& note) {
    const std::string amount = !withAmount ? "" : r->hasAmount ? AmountText(r->amount) : "";
    Line({section, DayText(r->day), TimeText(r->time), JournalText(in_.journal, r->document), amount,
          withAmount ? "" : JournalText(in_.journal, r->contractor),
          withAmount ? "" : JournalText(in_.journal, r->description),
          withAmount && !r->hasAmount ? std::string(kNoAmount) + (note.empty() ? "" : "; " + note) : note});
  }

  const ReportInput& in_;
  const Settlement& s_;
  std::string utf8_;
};

}  // namespace

std::string SettlementCsv(const ReportInput& input) { return CsvWriter(input).Write(); }

}  // namespace kw::tools
