// What the settlement keeps of each document while the journal streams past,
// compact so that memory follows the number of documents: no text per
// record, every shown text (a document number, a contractor) kept once in an
// arena of bytes and named by its 32-bit offset; the rows a report shows are
// rebuilt from these records when it is written.
//
// Every document has a StoredDocument (32 bytes); a document the period
// touches has a PeriodPart (48 bytes) at the same index, in pages that exist
// only where the period touches documents. What only some documents need is
// kept apart and named by an index: the failed removals of a document whose
// removal failed, the open marking of a document marked in the period, and
// the conversions a section shows that a later line of the same document
// replaced ("held" conversions).
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document_keys.h"
#include "journal_values.h"

namespace kw::tools {

struct Moment;
struct Sale;
struct RegisterEntry;
struct Marking;

// Texts kept once each, in blocks that never move: a 16-bit length, then the
// bytes; a text never crosses a block.
class TextArena {
 public:
  using Ref = uint32_t;  // 0: the empty text
  // A text looked up among those kept (for texts that repeat across
  // documents: contractors, descriptions).
  Ref Intern(std::string_view text);
  // The one of `known` that holds the text, otherwise the text kept anew (for
  // a document's own number, kept once for the document).
  Ref Reuse(std::string_view text, std::initializer_list<Ref> known);
  std::string Text(Ref ref) const { return std::string(At(ref)); }
  std::string_view At(Ref ref) const;
  void ForgetLookups() { known_ = DocumentKeys(); }

 private:
  Ref Append(std::string_view text);

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_ = 0;  // bytes used in the last block
  DocumentKeys known_;    // the interned texts' hashes to their offsets
};

// A contractor's number and texts as one interned text.
TextArena::Ref InternParty(TextArena& texts, std::string_view contractor, std::string_view description);
void PartyTexts(const TextArena& texts, TextArena::Ref party, std::string& contractor, std::string& description);

// A line's number and its time of day in 64 bits (lines up to 2^47).
constexpr int kTimeBits = 17;
inline uint64_t PackLine(int64_t line, int32_t time) { return static_cast<uint64_t>(line) << kTimeBits | static_cast<uint32_t>(time); }
inline int64_t LineOf(uint64_t packed) { return static_cast<int64_t>(packed >> kTimeBits); }
inline int32_t TimeOf(uint64_t packed) { return static_cast<int32_t>(packed & ((1u << kTimeBits) - 1)); }

enum class RegisterState : uint8_t { None, Removed, Left };

constexpr int64_t kAmountNone = INT64_MIN;  // amounts stay below 10^17

// A conversion as a register line or section 1 shows it beside something else.
struct Conversion {
  int64_t amount = kAmountNone;  // grosze
  JournalDay day = kNoDay;     // kNoDay: there is none
  bool Known() const { return day != kNoDay; }
};

#pragma pack(push, 4)
struct StoredDocument {
  uint64_t numberKey;            // the number it was last named by
  int64_t lastAmount;            // of its last conversion (kAmountNone: none)
  uint32_t identity;             // its link id, 0 while none is known
  uint32_t previousWithNumber;   // the document its number named before it
  uint32_t failures;             // in SettlementStore::failures, or kNoDocument
  uint32_t lastDay : 25;         // of its last conversion, kNoDay: never converted
  uint32_t registerState : 2;    // RegisterState, by its last register line
  uint32_t named : 1;            // numberKey is set
  uint32_t registerOnly : 1;     // register lines no conversion before them explains
  uint32_t openMark : 1;         // marked after its last conversion
  uint32_t : 2;

  Conversion Last() const { return {lastAmount, static_cast<JournalDay>(lastDay)}; }
};

// The part of a document that the period touches.
struct PeriodPart {
  uint64_t converted;              // the last conversion in the period, PackLine (0: none); its day and amount
                                   // are the document's last conversion's unless held
  uint64_t removed;                // the first removal in the period, PackLine (0: none)
  JournalDay removedDay;
  uint32_t conversions : 29;       // in the period
  uint32_t amountsDiffer : 1;      // the conversions in the period give other amounts
  uint32_t registerLine : 1;       // a register line dated in the period
  uint32_t present : 1;            // the period touches the document
  uint32_t removals;               // in the period
  TextArena::Ref convertedNumber;  // as the last conversion in the period shows it
  TextArena::Ref removedNumber;    // as the first removal in the period shows it
  TextArena::Ref removedParty;     // its contractor (InternParty)
  uint32_t held;                   // in SettlementStore::held, or kNoDocument
  uint32_t marking;                // in SettlementStore::markings while the marking is open, or kNoDocument
};
#pragma pack(pop)
static_assert(sizeof(StoredDocument) == 32 && sizeof(PeriodPart) == 48, "the same records in both builds");

// Conversions a section shows that a later line replaced as the document's last.
struct HeldConversions {
  Conversion converted;  // the last in the period, once a conversion after the period followed it
  Conversion before;     // the last before the period, when the period converts it again
  Conversion removed;    // the one the first removal in the period belongs to, once another followed
  bool convertedHeld = false;
  bool removedHeld = false;
};

// The last marking of a document in the period while it is open.
struct OpenMarking {
  uint64_t line;  // PackLine
  JournalDay day;
  int64_t amount;  // kAmountNone: none
  TextArena::Ref number;
  uint32_t nextFree;  // in the list of free ones
};

// A document whose removal from the register failed.
struct FailedRemovals {
  uint64_t line;  // the last failed removal, PackLine
  JournalDay day;
  uint32_t count = 0;  // since the last removal that worked
  TextArena::Ref number = 0;  // as the line shows it, when the period touched the document then
  TextArena::Ref party = 0;   // its contractor (InternParty)
  Conversion conversion;      // the document's last one before the failed removal's line
};

// The parts of the documents the period touches, by the document's index.
class PeriodParts {
 public:
  static constexpr uint32_t kPageBits = 10;
  PeriodPart* Find(uint32_t document);
  const PeriodPart* Find(uint32_t document) const;
  PeriodPart& Make(uint32_t document);
  uint32_t End() const { return static_cast<uint32_t>(pages_.size() << kPageBits); }

 private:
  std::vector<std::unique_ptr<PeriodPart[]>> pages_;
};

struct SettlementStore {
  std::deque<StoredDocument> documents;  // in the order the journal first names them
  PeriodParts parts;
  std::deque<HeldConversions> held;
  std::deque<OpenMarking> markings;
  uint32_t freeMarking = kNoDocument;  // the first free one in markings
  std::deque<FailedRemovals> failures;
  TextArena texts;

  HeldConversions& Held(PeriodPart& part);
  OpenMarking& MarkingOf(PeriodPart& part);
  void CloseMarking(PeriodPart& part);
  Conversion ConvertedOf(uint32_t document, const PeriodPart& part) const;
  Conversion RemovedConversionOf(uint32_t document, const PeriodPart& part) const;

  Sale SaleOf(uint32_t document) const;
  RegisterEntry RemovalOf(uint32_t document) const;
  RegisterEntry LeftOf(uint32_t document) const;
  Marking MarkingRowOf(uint32_t document) const;
};

}  // namespace kw::tools
