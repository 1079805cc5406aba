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

std::string RowLine(const Row& row, const char* indent, std::size_t documentWidth, std::size_t amountWidth) {
  std::string line = indent + row.day + "  " + PadRight(row.document, documentWidth);
  if (amountWidth) line += "  " + PadLeft(row.amount, amountWidth);
  if (!row.rest.empty()) line += "  " + row.rest;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line + "\n";
}

// The rows of a list, each made by rowOf twice: once for the columns'
// widths, once to be written.
template <typename List, typename RowOf>
void Rows(const List& list, RowOf rowOf, const ReportSink& out, const char* indent = "   ") {
  if (list.empty()) return out(std::string(indent) + "brak\n");
  std::size_t documentWidth = 0;
  std::size_t amountWidth = 0;
  for (const auto& item : list) {
    const Row row = rowOf(item);
    documentWidth = std::min(kWidestDocument, std::max(documentWidth, Width(row.document)));
    amountWidth = std::max(amountWidth, Width(row.amount));
  }
  for (const auto& item : list) out(RowLine(rowOf(item), indent, documentWidth, amountWidth));
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
  TextWriter(const ReportInput& input, const ReportSink& out) : in_(input), s_(input.settlement), out_(out) {}

  void Write() const {
    std::string text = "Dziennik: " + in_.journalPath + " (" + SizeText(s_.journal.bytes) + ")\n";
    text += "Okres: " + PeriodText(s_.period) + "\n";
    text += s_.journal.firstDay == kNoDay ? std::string("Dziennik nie ma żadnego odczytanego wpisu.\n")
                                          : "Dziennik obejmuje dni: " + JournalDaysText(s_.journal) + "\n";
    text += "Wiersze dziennika: " + GroupedNumber(s_.journal.lines);
    if (s_.journal.unreadableCount) text += ", nieodczytane: " + GroupedNumber(s_.journal.unreadableCount) + " (lista niżej)";
    text += "\n";
    if (s_.NoRecords()) text += "\nUWAGA: " + NoRecordsText(s_) + ".\n";
    out_(text + "\n1. ");
    Sales();
    out_("\n2. ");
    Exclusions();
    out_("\n3. ");
    CrossCheck();
    out_("\n4. ");
    Left();
    out_("\n5. ");
    Marked();
    if (s_.journal.unreadableCount) out_("\n" + Unreadable());
    out_("\n" + Verdict(s_) + "\n");
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

  static Row SaleRow(const Sale& sale) {
    return {DayText(sale.conversion.day), sale.document, Amount(sale.conversion), SaleNote(sale)};
  }

  void Sales() const {
    out_(Heading(kSalesTitle, s_.sales.size()));
    Rows(s_.sales, SaleRow, out_);
    const int64_t counted = static_cast<int64_t>(s_.sales.size()) - s_.convertedBefore;
    std::string text = "   Razem: " + CountOf(counted, "dokument", "dokumenty", "dokumentów");
    text += ", suma " + (s_.salesSum.outOfRange ? std::string("poza zakresem") : GroupedAmountText(s_.salesSum.grosze) + " zł");
    if (s_.salesWithoutAmount) text += "; bez kwoty (niewliczone do sumy): " + GroupedNumber(s_.salesWithoutAmount);
    text += "\n";
    if (s_.convertedBefore) text += "   " + ConvertedBeforeText(s_) + "\n";
    out_(text);
  }

  void Exclusions() const {
    out_(Heading(kExclusionsTitle, s_.exclusions.size()));
    Rows(s_.exclusions, [](const RegisterEntry& entry) { return RegisterRow(entry, ExclusionNote(entry)); }, out_);
  }

  void CrossCheck() const {
    out_("Sprawdzenie krzyżowe\n");
    if (s_.NoRecords()) return out_("   Nie ma czego sprawdzić: w okresie nie ma żadnego wpisu (zob. UWAGA wyżej).\n");
    if (s_.removedNotConverted.empty() && s_.convertedNotRemoved.empty() && s_.leftInJpk.empty()) {
      return out_("   Zgadza się: każdy dokument zamieniony w okresie usunięto z rejestru JPK,\n"
                  "   a każdy usunięty z rejestru w okresie dziennik zna jako zamieniony.\n");
    }
    if (!s_.removedNotConverted.empty()) {
      out_("   " + Heading(kRemovedNotConvertedTitle, s_.removedNotConverted.size()));
      out_("   - " + std::string(kRemovedNotConvertedLikely) + ":\n");
      Rows(s_.removedNotConverted, [](const RegisterEntry& entry) { return RegisterRow(entry, ""); }, out_);
    }
    if (!s_.convertedNotRemoved.empty()) {
      out_("   " + Heading(kConvertedNotRemovedTitle, s_.convertedNotRemoved.size()));
      out_("   - " + std::string(kConvertedNotRemovedLikely) + ":\n");
      Rows(s_.convertedNotRemoved, [](const Sale& sale) {
        return Row{DayText(sale.conversion.day), sale.document, Amount(sale.conversion), ""};
      }, out_);
    }
    if (!s_.leftInJpk.empty()) out_("   Wpisy, które zostały w rejestrze JPK: w punkcie 4.\n");
  }

  void Left() const {
    out_(Heading(kLeftInJpkTitle, s_.leftInJpk.size()));
    if (!s_.leftInJpk.empty()) out_("   - " + std::string(kLeftInJpkAdvice) + ":\n");
    Rows(s_.leftInJpk, [](const RegisterEntry& entry) { return RegisterRow(entry, LeftNote(entry)); }, out_);
  }

  void Marked() const {
    out_(Heading(kMarkedTitle, s_.markedNotConverted.size()));
    if (!s_.markedNotConverted.empty()) out_("   - " + std::string(kMarkedLikely) + ":\n");
    Rows(s_.markedNotConverted, [](const Marking& m) { return Row{DayText(m.marked.day), m.document, Amount(m.marked), ""}; },
         out_);
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
  const ReportSink& out_;
};

}  // namespace

void WriteSettlementText(const ReportInput& input, const ReportSink& out) { TextWriter(input, out).Write(); }

std::string SettlementText(const ReportInput& input) {
  std::string text;
  WriteSettlementText(input, [&](std::string_view piece) { text += piece; });
  return text;
}

}  // namespace kw::tools
