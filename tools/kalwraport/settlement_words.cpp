#include "settlement_words.h"

#include <vector>

namespace kw::tools {

const char* const kSalesTitle = "Sprzedaż komisowa - dokumenty zamienione";
const char* const kExclusionsTitle = "Wyłączenia z JPK - wpisy usunięte z rejestru, każdy dokument raz";
const char* const kRemovedNotConvertedTitle = "Usunięte z rejestru JPK, a dziennik nie zna ich wcześniejszej zamiany";
const char* const kRemovedNotConvertedLikely =
    "prawdopodobnie kontrahenta TMO przypisano ręcznie (albo dokument zamieniono, zanim wtyczka zaczęła "
    "prowadzić dziennik)";
const char* const kConvertedNotRemovedTitle = "Zamienione, a nieusunięte z rejestru JPK";
const char* const kConvertedNotRemovedLikely = "prawdopodobnie rejestru JPK za ten miesiąc jeszcze nie zbudowano";
const char* const kLeftInJpkTitle = "Wpisy, które zostały w rejestrze JPK - usunięcie się nie udało (stan na koniec dziennika)";
const char* const kLeftInJpkAdvice = "te dokumenty są nadal w rejestrze JPK: trzeba je z niego usunąć przed wysłaniem JPK";
const char* const kMarkedTitle = "Oznaczone, a niezamienione (stan na koniec dziennika)";
const char* const kMarkedLikely =
    "zamiana się nie odbyła (np. okno zamknięto albo wtyczkę odinstalowano przed jego końcem): "
    "sprawdź te dokumenty w programie";
const char* const kUnreadableTitle = "Wiersze dziennika, których nie odczytano (pominięte w rozliczeniu)";
const char* const kNoAmount = "brak kwoty";

std::string CountOf(int64_t count, const char* one, const char* few, const char* many) {
  const char* word = many;
  if (count == 1) {
    word = one;
  } else if (count % 10 >= 2 && count % 10 <= 4 && (count % 100 < 12 || count % 100 > 14)) {
    word = few;
  }
  return GroupedNumber(count) + " " + word;
}

std::string TimesText(int64_t count) {
  static const char* const kWords[] = {"", "raz", "dwa razy", "trzy razy", "cztery razy"};
  return count >= 1 && count <= 4 ? kWords[count] : GroupedNumber(count) + " razy";
}

std::string PeriodText(const Period& period) {
  if (period.from == kNoDay && period.to == kNoDay) return "cały dziennik";
  std::string text;
  if (period.from != kNoDay) text = "od " + DayText(period.from);
  if (period.to != kNoDay) text += (text.empty() ? "do " : " do ") + DayText(period.to);
  return text;
}

std::string JournalDaysText(const JournalSummary& journal) {
  if (journal.firstDay == kNoDay) return "dziennik nie ma żadnego odczytanego wpisu";
  return "od " + DayText(journal.firstDay) + " do " + DayText(journal.lastDay);
}

std::string NoRecordsText(const Settlement& s) {
  const std::string covers = s.journal.firstDay == kNoDay ? "; " + JournalDaysText(s.journal)
                                                          : "; dziennik obejmuje dni " + JournalDaysText(s.journal);
  const bool whole = s.period.from == kNoDay && s.period.to == kNoDay;
  return "w okresie (" + PeriodText(s.period) + ") dziennik nie ma żadnego wpisu o dokumentach" + covers +
         (whole ? " - sprawdź, czy to właściwy plik dziennika" : " - sprawdź, czy to właściwy okres i właściwy plik dziennika");
}

std::string SignedAmountText(int64_t grosze) { return (grosze > 0 ? "+" : "") + GroupedAmountText(grosze); }

std::string SaleNote(const Sale& sale) {
  std::vector<std::string> notes;
  if (sale.conversions > 1) {
    notes.push_back("zamieniony " + TimesText(sale.conversions) + " w okresie" +
                    (sale.amountsDiffer ? ", różne kwoty - liczona ostatnia" : ", ta sama kwota"));
  }
  if (sale.before.line != 0) {
    std::string note = "zamieniony już " + DayText(sale.before.day) +
                       (sale.before.hasAmount ? " na " + GroupedAmountText(sale.before.amount) : ", bez kwoty") +
                       " - był w rozliczeniu tamtego okresu, tu poza sumą";
    if (sale.before.hasAmount && sale.conversion.hasAmount) {
      note += ", różnica " + SignedAmountText(sale.conversion.amount - sale.before.amount);
    }
    notes.push_back(note);
  }
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

std::string ExclusionNote(const RegisterEntry& entry) {
  return entry.times < 2 ? "" : "usunięty " + TimesText(entry.times) + " (rejestr budowano ponownie)";
}

std::string LeftNote(const RegisterEntry& entry) {
  return "nieudane próby usunięcia: " + TimesText(entry.times) + ", ostatnia " + DayText(entry.entry.day);
}

std::string ConvertedBeforeText(const Settlement& s) {
  if (s.convertedBefore == 0) return "";
  std::string text = "Poza sumą: " + CountOf(s.convertedBefore, "dokument zamieniony", "dokumenty zamienione",
                                             "dokumentów zamienionych") +
                     " już w poprzednim okresie (był w tamtej sumie); różnica kwot: ";
  return text + (s.differenceSum.outOfRange ? "poza zakresem" : SignedAmountText(s.differenceSum.grosze) + " zł");
}

std::string Verdict(const Settlement& s) {
  if (s.status == SettlementStatus::Agrees) return "WYNIK 0: wszystko się zgadza.";
  std::vector<std::string> what;
  const auto count = [&](int64_t n, const char* text) {
    if (n) what.push_back(text + GroupedNumber(n));
  };
  if (s.NoRecords()) what.push_back(NoRecordsText(s));
  count(s.journal.unreadableCount, "nieodczytane wiersze dziennika: ");
  count(s.salesWithoutAmount, "dokumenty bez kwoty: ");
  if (s.salesSum.outOfRange || s.differenceSum.outOfRange) what.push_back("suma poza zakresem");
  count(s.convertedAgain, "dokumenty zamienione ponownie: ");
  count(static_cast<int64_t>(s.removedNotConverted.size()), "usunięte z JPK bez zamiany: ");
  count(static_cast<int64_t>(s.convertedNotRemoved.size()), "zamienione, a nieusunięte z JPK: ");
  count(static_cast<int64_t>(s.leftInJpk.size()), "wpisy, które zostały w JPK: ");
  count(static_cast<int64_t>(s.markedNotConverted.size()), "oznaczone, a niezamienione: ");
  std::string text = "WYNIK 1: jest coś do sprawdzenia - ";
  for (std::size_t i = 0; i < what.size(); ++i) text += (i ? ", " : "") + what[i];
  return text + ".";
}

std::string ProblemText(const UnreadableLine& line) {
  const std::string value = "„" + line.value + "”";
  switch (line.problem) {
    case LineProblem::CutShort:
      return "wiersz urwany: ma tylko " + CountOf(static_cast<int64_t>(line.fields), "pole", "pola", "pól");
    case LineProblem::TooManyFields:
      return "za dużo pól: " + GroupedNumber(static_cast<int64_t>(line.fields)) + ", a wiersz dziennika ma ich " +
             std::to_string(kJournalColumns);
    case LineProblem::BadQuote: return "cudzysłów niezamknięty albo tekst po cudzysłowie zamykającym";
    case LineProblem::UnknownEvent: return "nieznane zdarzenie " + value;
    case LineProblem::BadDate: return value + " nie jest datą z kalendarza";
    case LineProblem::BadTime: return value + " nie jest godziną";
    case LineProblem::BadAmount: return value + " nie jest kwotą";
    case LineProblem::BadIdentity: return "identyfikator dokumentu " + value + " nie jest liczbą";
    case LineProblem::NoNumber: return "brak numeru dokumentu: nie wiadomo, którego dokumentu dotyczy wiersz";
    case LineProblem::ZeroBytes:
      return "wiersz uszkodzony: " + CountOf(static_cast<int64_t>(line.zeroBytes), "bajt zerowy", "bajty zerowe", "bajtów zerowych") +
             " w miejscu tekstu (zapis przerwany, np. awarią komputera)";
  }
  return "";
}

}  // namespace kw::tools
