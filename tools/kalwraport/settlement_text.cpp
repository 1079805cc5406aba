#include <algorithm>
#include <vector>

#include "settlement_report.h"
#include "settlement_words.h"

namespace kw::tools {

namespace {

constexpr std::size_t kWidestDocument = 32;  // a longer number goes past its column, the others are not padded to it

// Characters, not bytes, so that Polish letters keep the columns.
std::size_t Width(std::string_view utf8) {
  return std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

std::string PadRight(std::string text, std::size_t width) {
  const std::size_t has = Width(text);
  if (has < width) text.append(width - has, ' ');
  return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
  const std::size_t has = Width(text);
  return has < width ? std::string(width - has, ' ') + text : text;
}

// The rows of one section: date, document, amount (may be empty), the rest.
struct Row {
  std::string day;
  std::string document;
  std::string amount;
  std::string rest;
};

std::string Rows(const std::vector<Row>& rows, const char* indent = "   ") {
  if (rows.empty()) return std::string(indent) + "brak\n";
  std::size_t documentWidth = 0;
  std::size_t amountWidth = 0;
  for (const Row& row : rows) {
    documentWidth = std::min(kWidestDocument, std::max(documentWidth, Width(row.document)));
    amountWidth = std::max(amountWidth, Width(row.amount));
  }
  std::string text;
  for (const Row& row : rows) {
    std::string line = indent + row.day + "  " + PadRight(row.document, documentWidth);
    if (amountWidth) line += "  " + PadLeft(row.amount, amountWidth);
    if (!row.rest.empty()) line += "  " + row.rest;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

std::string Heading(const std::string& title, std::size_t count) { return title + " (" + GroupedNumber(count) + ")\n"; }

std::string Amount(const Moment& moment) { return moment.hasAmount ? GroupedAmountText(moment.amount) : kNoAmount; }

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (!part.empty()) text += (text.empty() ? "" : "; ") + part;
  }
  return text;
}

class TextWriter {
 public:
  explicit TextWriter(const ReportInput& input) : in_(input), s_(input.settlement) {}

  std::string Write() const {
    std::string text = "Dziennik: " + in_.journalPath + " (" + SizeText(s_.journal.bytes) + ")\n";
    text += "Okres: " + PeriodText(s_.period) + "\n";
    text += "Dziennik obejmuje dni: " + JournalDaysText(s_.journal) + "\n";
    text += "Wiersze dziennika: " + GroupedNumber(s_.journal.lines);
    if (s_.journal.unreadableCount) text += ", nieodczytane: " + GroupedNumber(s_.journal.unreadableCount) + " (lista niżej)";
    text += "\n";
    if (s_.NoRecords()) text += "\nUWAGA: " + NoRecordsText(s_) + ".\n";
    text += "\n1. " + Sales() + "\n2. " + Exclusions() + "\n3. " + CrossCheck() + "\n4. " + Left() + "\n5. " + Marked();
    if (s_.journal.unreadableCount) text += "\n" + Unreadable();
    return text + "\n" + Verdict(s_) + "\n";
  }

 private:
  static std::string Contractor(const RegisterEntry& entry) {
    if (entry.contractor.empty() && entry.description.empty()) return "";
    return "kontrahent " + entry.contractor + (entry.description.empty() ? "" : ": " + entry.description);
  }

  static std::string ConvertedOn(const RegisterEntry& entry) {
    return entry.conversion.line ? "zamieniony " + DayText(entry.conversion.day) : "zamiany nie ma w dzienniku";
  }

  static Row RegisterRow(const RegisterEntry& entry, const std::string& note) {
    const std::string amount = entry.conversion.line ? Amount(entry.conversion) : "";
    return {DayText(entry.entry.day), entry.document, amount, Joined({ConvertedOn(entry), Contractor(entry), note})};
  }

  std::string Sales() const {
    std::vector<Row> rows;
    for (const Sale& sale : s_.sales) {
      rows.push_back({DayText(sale.conversion.day), sale.document, Amount(sale.conversion), SaleNote(sale)});
    }
    std::string text = Heading(kSalesTitle, rows.size()) + Rows(rows);
    const int64_t counted = static_cast<int64_t>(s_.sales.size()) - s_.convertedBefore;
    text += "   Razem: " + CountOf(counted, "dokument", "dokumenty", "dokumentów");
    text += ", suma " + (s_.salesSum.outOfRange ? std::string("poza zakresem") : GroupedAmountText(s_.salesSum.grosze) + " zł");
    if (s_.salesWithoutAmount) text += "; bez kwoty (niewliczone do sumy): " + GroupedNumber(s_.salesWithoutAmount);
    text += "\n";
    if (s_.convertedBefore) text += "   " + ConvertedBeforeText(s_) + "\n";
    return text;
  }

  std::string Exclusions() const {
    std::vector<Row> rows;
    for (const RegisterEntry& entry : s_.exclusions) rows.push_back(RegisterRow(entry, ExclusionNote(entry)));
    return Heading(kExclusionsTitle, rows.size()) + Rows(rows);
  }

  std::string CrossCheck() const {
    std::string text = "Sprawdzenie krzyżowe\n";
    if (s_.removedNotConverted.empty() && s_.convertedNotRemoved.empty() && s_.leftInJpk.empty()) {
      return text + "   Zgadza się: każdy dokument zamieniony w okresie usunięto z rejestru JPK,\n"
                    "   a każdy usunięty z rejestru w okresie dziennik zna jako zamieniony.\n";
    }
    if (!s_.removedNotConverted.empty()) {
      std::vector<Row> rows;
      for (const RegisterEntry& entry : s_.removedNotConverted) rows.push_back(RegisterRow(entry, ""));
      text += "   " + Heading(kRemovedNotConvertedTitle, rows.size());
      text += "   - " + std::string(kRemovedNotConvertedLikely) + ":\n" + Rows(rows);
    }
    if (!s_.convertedNotRemoved.empty()) {
      std::vector<Row> rows;
      for (const Sale& sale : s_.convertedNotRemoved) rows.push_back({DayText(sale.conversion.day), sale.document, Amount(sale.conversion), ""});
      text += "   " + Heading(kConvertedNotRemovedTitle, rows.size());
      text += "   - " + std::string(kConvertedNotRemovedLikely) + ":\n" + Rows(rows);
    }
    if (!s_.leftInJpk.empty()) text += "   Wpisy, które zostały w rejestrze JPK: w punkcie 4.\n";
    return text;
  }

  std::string Left() const {
    std::vector<Row> rows;
    for (const RegisterEntry& entry : s_.leftInJpk) rows.push_back(RegisterRow(entry, LeftNote(entry)));
    std::string text = Heading(kLeftInJpkTitle, rows.size());
    if (!rows.empty()) text += "   - " + std::string(kLeftInJpkAdvice) + ":\n";
    return text + Rows(rows);
  }

  std::string Marked() const {
    std::vector<Row> rows;
    for (const Marking& m : s_.markedNotConverted) rows.push_back({DayText(m.marked.day), m.document, Amount(m.marked), ""});
    std::string text = Heading(kMarkedTitle, rows.size());
    if (!rows.empty()) text += "   - " + std::string(kMarkedLikely) + ":\n";
    return text + Rows(rows);
  }

  std::string Unreadable() const {
    std::string text = Heading(kUnreadableTitle, static_cast<std::size_t>(s_.journal.unreadableCount));
    for (const UnreadableLine& line : s_.journal.firstUnreadable) {
      text += "   wiersz " + GroupedNumber(line.line) + ": " + ProblemText(line) + "\n";
    }
    const int64_t more = s_.journal.unreadableCount - static_cast<int64_t>(s_.journal.firstUnreadable.size());
    if (more > 0) text += "   i " + CountOf(more, "dalszy wiersz", "dalsze wiersze", "dalszych wierszy") + "\n";
    return text;
  }

  const ReportInput& in_;
  const Settlement& s_;
};

}  // namespace

std::string SettlementText(const ReportInput& input) { return TextWriter(input).Write(); }

}  // namespace kw::tools
