// The journal Kalwestrowka-dziennik.csv read whole: the records the report
// uses (conversions and the JPK register's entries), with the lines it could
// not read. The records point into the journal's own text, which they keep.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "journal_values.h"

namespace kw::tools {

// Column 3 of a line.
enum class JournalEvent : uint8_t {
  Marked,               // OZNACZONO
  Converted,            // ZAMIENIONO
  Change,               // ZMIANA
  RemovedFromJpk,       // USUNIETO_Z_JPK
  LeftInJpk,            // POZOSTAWIONO_W_JPK
  Configuration,        // KONFIGURACJA
  ConfigurationFailed,  // BLAD_KONFIGURACJI
};

// Only Converted, RemovedFromJpk and LeftInJpk are kept as records.
struct JournalRecord {
  JournalDay day;
  int32_t time;  // seconds since midnight
  int32_t line;  // from 1
  JournalEvent event;
  bool hasAmount;   // the module leaves the amount empty when it is no number
  int64_t amount;   // grosze
  std::string_view document;
  std::string_view contractor;  // its number
  std::string_view description;  // the contractor's texts
};

enum class LineProblem : uint8_t { CutShort, TooManyFields, BadQuote, UnknownEvent, BadDate, BadTime, BadAmount };

struct UnreadableLine {
  int32_t line;
  LineProblem problem;
  int32_t fields;          // how many the line has
  std::string_view value;  // the field that could not be read
};

struct Journal {
  Journal() = default;
  Journal(Journal&&) = default;  // the records keep pointing into the moved text
  Journal& operator=(Journal&&) = default;
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  std::vector<uint8_t> text;  // the file's bytes, UTF-8 when it began with a byte-order mark
  bool utf8 = false;        // otherwise Windows-1250
  int32_t lines = 0;        // lines that hold anything, the header included
  std::vector<JournalRecord> records;
  int32_t unreadableCount = 0;
  std::vector<UnreadableLine> firstUnreadable;  // at most kShownUnreadable
};

constexpr std::size_t kShownUnreadable = 10;

// Reads the file's bytes. A file that begins with a UTF-8 byte-order mark was
// saved again by a program that says it writes UTF-8: its lines are taken as
// UTF-8, and a line that is not UTF-8 (appended later by the module) as
// Windows-1250; without the mark every line is Windows-1250.
Journal ReadJournal(std::vector<uint8_t> bytes);

}  // namespace kw::tools
