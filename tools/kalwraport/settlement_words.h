// The words every form of kalwraport's report shares: the sections, what the
// cross-checks likely mean, the notes beside a document, the verdict and the
// reasons a line could not be read, in the accountant's Polish.
#pragma once

#include <cstdint>
#include <string>

#include "settlement.h"

namespace kw::tools {

extern const char* const kSalesTitle;
extern const char* const kExclusionsTitle;
extern const char* const kRemovedNotConvertedTitle;
extern const char* const kRemovedNotConvertedLikely;
extern const char* const kConvertedNotRemovedTitle;
extern const char* const kConvertedNotRemovedLikely;
extern const char* const kLeftInJpkTitle;
extern const char* const kLeftInJpkAdvice;
extern const char* const kMarkedTitle;
extern const char* const kMarkedLikely;
extern const char* const kUnreadableTitle;
extern const char* const kNoAmount;

// "1 dokument", "2 dokumenty", "5 dokumentów", "1 234 dokumenty".
std::string CountOf(int64_t count, const char* one, const char* few, const char* many);

// "raz", "dwa razy", "trzy razy", "cztery razy", "5 razy".
std::string TimesText(int64_t count);

// The period as "od 2026-11-01 do 2026-11-30", or "cały dziennik".
std::string PeriodText(const Period& period);

// "od 2026-01-02 do 2026-12-31", or "dziennik nie ma żadnego odczytanego wpisu".
std::string JournalDaysText(const JournalSummary& journal);

// The period holds no records: what it means, with the days the journal covers.
std::string NoRecordsText(const Settlement& settlement);

// "+10,00" for a difference of amounts.
std::string SignedAmountText(int64_t grosze);

// Notes on a sale converted more than once, or "".
std::string SaleNote(const Sale& sale);

// "usunięty dwa razy (rejestr budowano ponownie)" or "".
std::string ExclusionNote(const RegisterEntry& entry);

// "nieudane próby usunięcia: trzy razy, ostatnia ..." for an entry left.
std::string LeftNote(const RegisterEntry& entry);

// The line about the sales converted before the period, or "".
std::string ConvertedBeforeText(const Settlement& settlement);

// "WYNIK 0: ..." or "WYNIK 1: ..." with what to look at.
std::string Verdict(const Settlement& settlement);

// The reason a line could not be read, in plain words.
std::string ProblemText(const UnreadableLine& line);

}  // namespace kw::tools
