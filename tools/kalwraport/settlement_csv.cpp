#include <vector>

#include "settlement_report.h"
#include "settlement_words.h"
#include "windows1250.h"

namespace kw::tools {

namespace {

const char* const kPeriodSection = "Okres";
const char* const kVerdictSection = "Wynik";
const char* const kUnreadableCountSection = "Nieodczytane wiersze dziennika";
const char* const kSalesSumSection = "Sprzedaż komisowa - suma";
const char* const kConvertedBeforeSection = "Sprzedaż komisowa - zamienione już wcześniej";

// A field as a Polish spreadsheet reads it: quoted where it holds ';', '"'
// or a line end.
std::string Field(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string AmountOf(const Moment& moment) { return moment.line && moment.hasAmount ? AmountText(moment.amount) : ""; }
std::string DayOf(const Moment& moment) { return moment.line ? DayText(moment.day) : ""; }

// Columns: the "kwota" column holds only the amounts the sum adds up, so that
// the column's sum is the sales' sum; every other amount is in the next one.
class CsvWriter {
 public:
  CsvWriter(const ReportInput& input, const ReportSink& out) : s_(input.settlement), out_(out) {}

  void Write() const {
    Line({"sekcja", "data", "czas", "dokument", "kwota", "kwota nie do sumowania", "zamieniono dnia", "kontrahent",
          "opis", "uwagi"});
    Line({kPeriodSection, "", "", "", "", "", "", "", "", PeriodText(s_.period)});
    Line({kVerdictSection, "", "", "", "", "", "", "", "", Verdict(s_)});
    Line({kUnreadableCountSection, "", "", "", "", "", "", "", "", std::to_string(s_.journal.unreadableCount)});
    for (const Sale& sale : s_.sales) SaleLine(sale);
    Line({kSalesSumSection, "", "", CountOf(static_cast<int64_t>(s_.sales.size()) - s_.convertedBefore, "dokument", "dokumenty", "dokumentów"),
          "", s_.salesSum.outOfRange ? "" : AmountText(s_.salesSum.grosze), "", "", "",
          Notes(s_.salesSum.outOfRange ? "suma poza zakresem" : "",
                s_.salesWithoutAmount ? "bez kwoty (niewliczone): " + std::to_string(s_.salesWithoutAmount) : "")});
    if (s_.convertedBefore) Line({kConvertedBeforeSection, "", "", "", "", "", "", "", "", ConvertedBeforeText(s_)});
    for (const RegisterEntry& e : s_.exclusions) Register(kExclusionsTitle, e, ExclusionNote(e));
    for (const RegisterEntry& e : s_.removedNotConverted) Register(kRemovedNotConvertedTitle, e, kRemovedNotConvertedLikely);
    for (const Sale& sale : s_.convertedNotRemoved) {
      Line({kConvertedNotRemovedTitle, DayOf(sale.conversion), TimeText(sale.conversion.time), sale.document, "",
            AmountOf(sale.conversion), DayOf(sale.conversion), "", "", kConvertedNotRemovedLikely});
    }
    for (const RegisterEntry& e : s_.leftInJpk) Register(kLeftInJpkTitle, e, LeftNote(e));
    for (const Marking& m : s_.markedNotConverted) {
      Line({kMarkedTitle, DayOf(m.marked), TimeText(m.marked.time), m.document, "", AmountOf(m.marked), "", "", "", kMarkedLikely});
    }
    for (const UnreadableLine& line : s_.journal.firstUnreadable) {
      Line({kUnreadableTitle, "", "", "wiersz " + std::to_string(line.line), "", "", "", "", "", ProblemText(line)});
    }
    const int64_t more = s_.journal.unreadableCount - static_cast<int64_t>(s_.journal.firstUnreadable.size());
    if (more > 0) Line({kUnreadableTitle, "", "", "", "", "", "", "", "", "i " + CountOf(more, "dalszy wiersz", "dalsze wiersze", "dalszych wierszy")});
  }

 private:
  static std::string Notes(const std::string& a, const std::string& b) { return a.empty() || b.empty() ? a + b : a + "; " + b; }

  void Line(const std::vector<std::string>& fields) const {
    std::string utf8;
    for (std::size_t i = 0; i < fields.size(); ++i) utf8 += (i ? ";" : "") + Field(fields[i]);
    out_(Utf8ToCp1250(utf8 + "\r\n"));
  }

  void SaleLine(const Sale& sale) const {
    const bool counted = sale.before.line == 0;
    const std::string amount = AmountOf(sale.conversion);
    Line({kSalesTitle, DayOf(sale.conversion), TimeText(sale.conversion.time), sale.document, counted ? amount : "",
          counted ? "" : amount, DayOf(sale.conversion), "", "",
          Notes(sale.conversion.hasAmount ? "" : kNoAmount, SaleNote(sale))});
  }

  void Register(const char* section, const RegisterEntry& e, const std::string& note) const {
    Line({section, DayOf(e.entry), TimeText(e.entry.time), e.document, "", AmountOf(e.conversion), DayOf(e.conversion),
          e.contractor, e.description, note});
  }

  const Settlement& s_;
  const ReportSink& out_;
};

}  // namespace

void WriteSettlementCsv(const ReportInput& input, const ReportSink& out) { CsvWriter(input, out).Write(); }

std::string SettlementCsv(const ReportInput& input) {
  std::string bytes;
  WriteSettlementCsv(input, [&](std::string_view piece) { bytes += piece; });
  return bytes;
}

}  // namespace kw::tools
