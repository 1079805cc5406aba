// The words every form of kalwraport's report shares: the sections, what the
// cross-checks likely mean, the verdict, and the journal's texts in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "journal.h"
#include "settlement.h"

namespace kw::tools {

extern const char* const kSalesTitle;
extern const char* const kExclusionsTitle;
extern const char* const kRemovedNotConvertedTitle;
extern const char* const kRemovedNotConvertedLikely;
extern const char* const kConvertedNotRemovedTitle;
extern const char* const kConvertedNotRemovedLikely;
extern const char* const kLeftInJpkTitle;
extern const char* const kNoAmount;

// A field of the journal in UTF-8.
std::string JournalText(const Journal& journal, std::string_view field);

// "1 dokument", "2 dokumenty", "5 dokumentów".
std::string CountOf(int64_t count, const char* one, const char* few, const char* many);

// The period as "od 2026-11-01 do 2026-11-30", or "cały dziennik".
std::string PeriodText(const Period& period);

// Notes on a sale converted more than once, or "" (for the text and CSV).
std::string SaleNote(const Sale& sale);

// "usunięty 3 razy (...)" for an entry removed more than once, or "".
std::string ExclusionNote(const Exclusion& exclusion);

// "WYNIK 0: ..." or "WYNIK 1: ..." with what to look at.
std::string Verdict(const Settlement& settlement);

// The reason a line could not be read, in Polish.
std::string ProblemText(const Journal& journal, const UnreadableLine& line);

}  // namespace kw::tools
