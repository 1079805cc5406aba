#include "settlement_words.h"

#include <vector>

#include "windows1250.h"

namespace kw::tools {

const char* const kSalesTitle = "Sprzedaż komisowa - dokumenty zamienione";
const char* const kExclusionsTitle = "Wyłączenia z JPK - wpisy usunięte z rejestru, każdy dokument raz";
const char* const kRemovedNotConvertedTitle = "Usunięte z rejestru JPK, a dziennik nie zna ich zamiany";
const char* const kRemovedNotConvertedLikely =
    "prawdopodobnie kontrahenta TMO przypisano ręcznie (albo dokument zamieniono, zanim moduł zaczął "
    "prowadzić dziennik)";
const char* const kConvertedNotRemovedTitle = "Zamienione, a nieusunięte z rejestru JPK";
const char* const kConvertedNotRemovedLikely =
    "prawdopodobnie rejestru JPK za ten miesiąc jeszcze nie zbudowano";
const char* const kLeftInJpkTitle = "Wpisy pozostawione w rejestrze JPK - usunięcie się nie udało i nie powtórzono go";
const char* const kNoAmount = "brak kwoty";

std::string JournalText(const Journal& journal, std::string_view field) {
  return journal.utf8 ? std::string(field) : Cp1250ToUtf8(field);
}

std::string CountOf(int64_t count, const char* one, const char* few, const char* many) {
  const char* word = many;
  if (count == 1) {
    word = one;
  } else if (count % 10 >= 2 && count % 10 <= 4 && (count % 100 < 12 || count % 100 > 14)) {
    word = few;
  }
  return std::to_string(count) + " " + word;
}

std::string PeriodText(const Period& period) {
  if (period.from == kNoDay && period.to == kNoDay) return "cały dziennik";
  std::string text;
  if (period.from != kNoDay) text = "od " + DayText(period.from);
  if (period.to != kNoDay) text += (text.empty() ? "do " : " do ") + DayText(period.to);
  return text;
}

std::string SaleNote(const Sale& sale) {
  std::vector<std::string> notes;
  if (sale.conversions > 1) {
    notes.push_back("zamieniony " + std::to_string(sale.conversions) + " razy w okresie" +
                    (sale.amountsDiffer ? ", różne kwoty - liczona ostatnia" : ""));
  }
  if (sale.convertedBefore != kNoDay) {
    notes.push_back("zamieniony już " + DayText(sale.convertedBefore) + " - był w rozliczeniu wcześniejszego okresu");
  }
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

std::string ExclusionNote(const Exclusion& exclusion) {
  if (exclusion.removals < 2) return "";
  return "usunięty " + std::to_string(exclusion.removals) + " razy (rejestr budowano kilka razy)";
}

std::string Verdict(const Settlement& s) {
  if (s.status == SettlementStatus::Agrees) return "WYNIK 0: wszystko się zgadza.";
  std::vector<std::string> what;
  if (s.unreadableLines) what.push_back("nieodczytane wiersze dziennika: " + std::to_string(s.unreadableLines));
  if (s.salesWithoutAmount) what.push_back("dokumenty bez kwoty: " + std::to_string(s.salesWithoutAmount));
  if (s.sumOutOfRange) what.push_back("suma poza zakresem");
  int32_t repeated = 0;
  for (const Sale& sale : s.sales) repeated += sale.amountsDiffer || sale.convertedBefore != kNoDay;
  if (repeated) what.push_back("dokumenty zamienione ponownie: " + std::to_string(repeated));
  if (!s.removedNotConverted.empty()) {
    what.push_back("usunięte z JPK bez zamiany: " + std::to_string(s.removedNotConverted.size()));
  }
  if (!s.convertedNotRemoved.empty()) {
    what.push_back("zamienione, a nieusunięte z JPK: " + std::to_string(s.convertedNotRemoved.size()));
  }
  if (!s.leftInJpk.empty()) what.push_back("wpisy pozostawione w JPK: " + std::to_string(s.leftInJpk.size()));
  std::string text = "WYNIK 1: jest coś do sprawdzenia - ";
  for (std::size_t i = 0; i < what.size(); ++i) text += (i ? ", " : "") + what[i];
  return text + ".";
}

std::string ProblemText(const Journal& journal, const UnreadableLine& line) {
  const std::string value = "„" + JournalText(journal, line.value) + "”";
  switch (line.problem) {
    case LineProblem::CutShort:
      return "ucięty wiersz: " + CountOf(line.fields, "pole", "pola", "pól") + " zamiast 9";
    case LineProblem::TooManyFields:
      return "za dużo pól: " + std::to_string(line.fields) + " zamiast 9";
    case LineProblem::BadQuote: return "niezamknięty lub błędny cudzysłów";
    case LineProblem::UnknownEvent: return "nieznane zdarzenie " + value;
    case LineProblem::BadDate: return "zła data " + value;
    case LineProblem::BadTime: return "zły czas " + value;
    case LineProblem::BadAmount: return "zła kwota " + value;
  }
  return "";
}

}  // namespace kw::tools
