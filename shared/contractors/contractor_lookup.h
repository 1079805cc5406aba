// Finding a contractor by its symbol in the host's contractor table.
#pragma once

#include "borrowed_record.h"

namespace kw {

// The host's contractor in table 35's buffer, kept while the module's lookup
// walks the table through it.
using KeptContractor = BorrowedRecord<kContractorRecordKept>;

// Walks the contractors that host key 6 reaches, then, when none matched,
// those of key 198, comparing the first `length` characters of each symbol.
// 0: found, and the contractor stays the current record of table 35;
// 1: not found, or table 35 is missing (after a message box). With `keep`,
// the record the host had in the buffer is kept there first (for the caller
// to put back when done), unless `keep` holds one already.
int WyszukajKontrPoSymbolu(const char* symbol, int length, KeptContractor* keep = nullptr);

// The contractor under whom foreign goods are sold, compared over 3 characters.
inline constexpr const char* kTmoSymbol = "TMO";
inline constexpr int kTmoSymbolLength = 3;
// WyszukajKontrPoSymbolu("TMO", 3).
inline int FindTmo(KeptContractor* keep = nullptr) { return WyszukajKontrPoSymbolu(kTmoSymbol, kTmoSymbolLength, keep); }

}  // namespace kw
