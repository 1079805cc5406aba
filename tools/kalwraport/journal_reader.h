// kalwraport's reading of the journal Kalwestrowka-dziennik.csv: line after
// line as the file streams past, each readable line handed on as a
// JournalEntry, the others counted with the first of them and the reason.
// Nothing of the file is kept but the counts and the journal's first and
// last day, so its size is the disk's business.
//
// Texts: a line that is UTF-8 is taken as UTF-8 (a spreadsheet saved the
// journal again, with or without a byte-order mark), any other as
// Windows-1250 (as the module writes it). Line ends CR LF or LF; empty lines
// and a header (first field "data") are skipped; missing trailing fields
// (a spreadsheet drops empty ones) are empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_access.h"
#include "journal_format.h"
#include "journal_values.h"

namespace kw::tools {

// A field of the line being read: its kept beginning, in the line's code page.
struct FieldText {
  std::string_view kept;
  uint64_t cutChars;  // characters past the kept ones, 0 when the field is whole
  bool utf8;
};

// A field in UTF-8 for the report; a cut one ends with a mark saying how much
// is left out.
std::string ShownText(const FieldText& field);

struct JournalEntry {
  int64_t line;  // from 1
  JournalDay day;
  int32_t time;  // seconds since midnight
  JournalEvent event;
  bool hasAmount;      // the module leaves the amount empty when it is no number
  int64_t amount;      // grosze
  uint32_t identity;   // the document's link id, 0 when the line has none
  uint64_t numberKey;  // the whole document number's text in UTF-8, hashed (0 on a line of a changed field)
  FieldText document;
  FieldText contractor;   // its number
  FieldText description;  // the contractor's texts
};

enum class LineProblem : uint8_t { CutShort, TooManyFields, BadQuote, UnknownEvent, BadDate, BadTime, BadAmount, BadIdentity, NoNumber, ZeroBytes };

struct UnreadableLine {
  int64_t line;
  LineProblem problem;
  uint64_t fields;    // how many the line has
  std::string value;  // the field that could not be read, UTF-8, shown, control bytes written as \xNN
  uint64_t zeroBytes; // the run of zero bytes that ended it
};

constexpr std::size_t kShownUnreadable = 10;

struct JournalSummary {
  uint64_t bytes = 0;
  int64_t lines = 0;  // lines that hold anything, the header included
  int64_t unreadableCount = 0;
  std::vector<UnreadableLine> firstUnreadable;  // at most kShownUnreadable
  JournalDay firstDay = kNoDay;                 // of the readable lines
  JournalDay lastDay = kNoDay;
};

class JournalSink {
 public:
  virtual void Take(const JournalEntry& entry) = 0;

 protected:
  ~JournalSink() = default;
};

// Reads the stream to its end; false when reading failed (file.Reason()).
bool ReadJournal(FileStream& file, JournalSink& sink, JournalSummary& summary);
// The same for a journal's text in memory, handed on in pieces of the size given.
void ReadJournalText(std::string_view text, JournalSink& sink, JournalSummary& summary,
                     std::size_t pieceBytes = static_cast<std::size_t>(-1));

}  // namespace kw::tools
