// What the settlement keeps of each document while the journal streams past,
// compact so that memory follows the number of documents: no text per
// record, every shown text (a document number, a contractor) kept once in an
// arena of bytes and named by its 32-bit offset; the rows a report shows are
// rebuilt from these records when it is written.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "document_keys.h"
#include "journal_values.h"

namespace kw::tools {

struct Moment;
struct Sale;
struct RegisterEntry;
struct Marking;

// Texts kept once each: a 32-bit length, then the bytes.
class TextArena {
 public:
  using Ref = uint32_t;  // 0: the empty text
  TextArena() : bytes_(sizeof(uint32_t), '\0') {}
  // A text looked up among those kept (for texts that repeat across
  // documents: contractors, descriptions).
  Ref Intern(std::string_view text);
  // `known` when it holds the text, otherwise the text kept anew (for a
  // document's own number, kept once for the document).
  Ref Reuse(std::string_view text, Ref known);
  std::string Text(Ref ref) const;

 private:
  std::string_view At(Ref ref) const;
  Ref Append(std::string_view text);

  std::string bytes_;
  DocumentKeys known_;  // the texts' hashes to their offsets
};

enum class RegisterState : uint8_t { None, Removed, Left };

// A conversion as a register line or section 1 shows it beside something else.
struct Conversion {
  int64_t amount = 0;
  JournalDay day = kNoDay;
  bool known = false;  // there is one
  bool hasAmount = false;
};

struct StoredDocument {
  uint64_t numberKey = 0;                     // the number it was last named by
  uint32_t identity = 0;                      // its link id, 0 while none is known
  uint32_t previousWithNumber = kNoDocument;  // the document its number named before it
  uint32_t periodPart = kNoDocument;          // in SettlementStore::parts
  uint32_t failedRemovals = 0;                // since the last removal that worked
  TextArena::Ref shownNumber = 0;             // the number its lines showed last
  RegisterState registerState = RegisterState::None;  // by its last register line
  bool named = false;                         // numberKey is set
  bool registerOnly = false;                  // register lines no conversion before them explains
  bool openMark = false;                      // marked after its last conversion
  Conversion last;                            // its last conversion
  int64_t lastLeftLine = 0;                   // the last failed removal
  JournalDay lastLeftDay = kNoDay;
  int32_t lastLeftTime = 0;
};

// A dated line: 0 in line when there is none.
struct Stamp {
  int64_t line = 0;
  JournalDay day = kNoDay;
  int32_t time = 0;
};

// The texts of a register line.
struct RegisterTexts {
  TextArena::Ref document = 0;
  TextArena::Ref contractor = 0;
  TextArena::Ref description = 0;
};

// The part of a document that the period touches.
struct PeriodPart {
  uint32_t document = kNoDocument;
  uint32_t left = kNoDocument;        // the texts of its last failed removal seen, in lefts
  Stamp converted;                    // the last conversion in the period (line 0: none)
  int64_t convertedAmount = 0;
  int32_t conversions = 0;            // in the period
  TextArena::Ref convertedNumber = 0;
  Conversion before;                  // the last conversion before the period
  bool convertedHasAmount = false;
  bool amountsDiffer = false;         // the conversions in the period give other amounts
  bool registerLine = false;          // a register line dated in the period
  bool markedHasAmount = false;
  Stamp removed;                      // the first removal in the period (line 0: none)
  int32_t removals = 0;
  RegisterTexts removedTexts;
  Conversion removedConversion;       // its document's last conversion before the removal
  Stamp marked;                       // the last marking, when in the period (line 0: not)
  int64_t markedAmount = 0;
  TextArena::Ref markedNumber = 0;
};

struct SettlementStore {
  std::deque<StoredDocument> documents;  // in the order the journal first names them
  std::deque<PeriodPart> parts;
  std::deque<RegisterTexts> lefts;       // the last failed removal's texts
  TextArena texts;

  Sale SaleOf(uint32_t part) const;
  RegisterEntry RemovalOf(uint32_t part) const;
  RegisterEntry LeftOf(uint32_t part) const;
  Marking MarkingOf(uint32_t part) const;
};

}  // namespace kw::tools
