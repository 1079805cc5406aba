#include <algorithm>
#include <vector>

#include "settlement_report.h"
#include "settlement_words.h"

namespace kw::tools {

namespace {

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

std::string Rows(const std::vector<Row>& rows) {
  if (rows.empty()) return "   brak\n";
  std::size_t documentWidth = 0;
  std::size_t amountWidth = 0;
  for (const Row& row : rows) {
    documentWidth = std::max(documentWidth, Width(row.document));
    amountWidth = std::max(amountWidth, Width(row.amount));
  }
  std::string text;
  for (const Row& row : rows) {
    std::string line = "   " + row.day + "  " + PadRight(row.document, documentWidth);
    if (amountWidth) line += "  " + PadLeft(row.amount, amountWidth);
    if (!row.rest.empty()) line += "  " + row.rest;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

std::string Heading(const std::string& title, std::size_t count) {
  return title + " (" + std::to_string(count) + ")\n";
}

class TextWriter {
 public:
  explicit TextWriter(const ReportInput& input) : in_(input), s_(input.settlement) {}

  std::string Write() {
    std::string text = "Dziennik: " + in_.journalPath + "\n";
    text += "Okres: " + PeriodText(in_.period) + "\n";
    text += "Wiersze dziennika: " + std::to_string(in_.journal.lines);
    if (in_.journal.unreadableCount) {
      text += ", nieodczytane (pominięte): " + std::to_string(in_.journal.unreadableCount) + " - lista na wyjściu błędów";
    }
    text += "\n\n1. " + Sales() + "\n2. " + Exclusions() + "\n3. " + CrossCheck() + "\n4. " + Left() + "\n";
    return text + Verdict(s_) + "\n";
  }

 private:
  std::string Document(const JournalRecord* record) const { return JournalText(in_.journal, record->document); }

  std::string Contractor(const JournalRecord* record) const {
    std::string text = "kontrahent " + JournalText(in_.journal, record->contractor);
    if (!record->description.empty()) text += ": " + JournalText(in_.journal, record->description);
    return text;
  }

  std::string Sales() const {
    std::vector<Row> rows;
    for (const Sale& sale : s_.sales) {
      const JournalRecord* r = sale.conversion;
      rows.push_back({DayText(r->day), Document(r), r->hasAmount ? AmountText(r->amount) : kNoAmount, SaleNote(sale)});
    }
    std::string text = Heading(kSalesTitle, rows.size()) + Rows(rows);
    text += "   Razem: " + CountOf(static_cast<int64_t>(s_.sales.size()), "dokument", "dokumenty", "dokumentów");
    text += ", suma " + (s_.sumOutOfRange ? std::string("poza zakresem") : AmountText(s_.salesSum) + " zł");
    if (s_.salesWithoutAmount) {
      text += "; bez kwoty (niewliczone do sumy): " + std::to_string(s_.salesWithoutAmount);
    }
    return text + "\n";
  }

  std::string Exclusions() const {
    std::vector<Row> rows;
    for (const Exclusion& exclusion : s_.exclusions) {
      const JournalRecord* r = exclusion.removal;
      std::string rest = Contractor(r);
      const std::string note = ExclusionNote(exclusion);
      if (!note.empty()) rest += "; " + note;
      rows.push_back({DayText(r->day), Document(r), "", rest});
    }
    return Heading(kExclusionsTitle, rows.size()) + Rows(rows);
  }

  std::string RecordRows(const std::vector<const JournalRecord*>& records, bool withAmount) const {
    std::vector<Row> rows;
    for (const JournalRecord* r : records) {
      const std::string amount = !withAmount ? "" : r->hasAmount ? AmountText(r->amount) : kNoAmount;
      rows.push_back({DayText(r->day), Document(r), amount, withAmount ? "" : Contractor(r)});
    }
    return Rows(rows);
  }

  std::string CrossCheck() const {
    std::string text = "Sprawdzenie krzyżowe\n";
    if (s_.removedNotConverted.empty() && s_.convertedNotRemoved.empty()) {
      return text + "   Zgadza się: każdy dokument zamieniony w okresie usunięto z rejestru JPK,\n"
                    "   a każdy usunięty z rejestru w okresie dziennik zna jako zamieniony.\n";
    }
    if (!s_.removedNotConverted.empty()) {
      text += "   " + Heading(kRemovedNotConvertedTitle, s_.removedNotConverted.size());
      text += "   - " + std::string(kRemovedNotConvertedLikely) + ":\n" + RecordRows(s_.removedNotConverted, false);
    }
    if (!s_.convertedNotRemoved.empty()) {
      text += "   " + Heading(kConvertedNotRemovedTitle, s_.convertedNotRemoved.size());
      text += "   - " + std::string(kConvertedNotRemovedLikely) + ":\n" + RecordRows(s_.convertedNotRemoved, true);
    }
    return text;
  }

  std::string Left() const { return Heading(kLeftInJpkTitle, s_.leftInJpk.size()) + RecordRows(s_.leftInJpk, false); }

  const ReportInput& in_;
  const Settlement& s_;
};

}  // namespace

std::string SettlementText(const ReportInput& input) { return TextWriter(input).Write(); }

std::string UnreadableLinesText(const Journal& journal) {
  if (journal.unreadableCount == 0) return "";
  std::string text = "kalwraport: nie odczytano " +
                     CountOf(journal.unreadableCount, "wiersza", "wierszy", "wierszy") + " dziennika (pominięte)";
  text += journal.firstUnreadable.size() < static_cast<std::size_t>(journal.unreadableCount) ? ", pierwsze:\n" : ":\n";
  for (const UnreadableLine& line : journal.firstUnreadable) {
    text += "  wiersz " + std::to_string(line.line) + ": " + ProblemText(journal, line) + "\n";
  }
  return text;
}

}  // namespace kw::tools
