// Finding a contractor by its symbol in the host's contractor table.
#pragma once

#include "kept_record.h"

namespace kw {

// Walks the contractors that host key 6 reaches, then, when none matched,
// those of key 198, comparing the first `length` characters of each symbol.
// 0: found, and the contractor stays the current record of table 35;
// kLookupNotFound: not found, or table 35 is missing (after a message box);
// the caller then warns that the contractor was not found. With `keep`, the
// record the host had in the buffer is kept there first (for the caller to
// put back when done), unless `keep` holds one already; a record that cannot
// be kept is left alone: kLookupNotKept, after the box, which is all the user
// is told.
inline constexpr int kLookupNotFound = 1;
inline constexpr int kLookupNotKept = -1;
int WyszukajKontrPoSymbolu(const char* symbol, int length, KeptRecord* keep = nullptr);

// The contractor under whom foreign goods are sold, compared over 3 characters.
inline constexpr const char* kTmoSymbol = "TMO";
inline constexpr int kTmoSymbolLength = 3;
// WyszukajKontrPoSymbolu("TMO", 3).
inline int FindTmo(KeptRecord* keep = nullptr) { return WyszukajKontrPoSymbolu(kTmoSymbol, kTmoSymbolLength, keep); }

}  // namespace kw
