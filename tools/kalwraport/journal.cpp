#include "journal.h"

#include <cstring>

#include "journal_line.h"
#include "windows1250.h"

namespace kw::tools {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char* Chars(std::vector<uint8_t>& bytes) { return reinterpret_cast<char*>(bytes.data()); }
const char* Chars(const std::vector<uint8_t>& bytes) { return reinterpret_cast<const char*>(bytes.data()); }

enum Column { kDate, kTime, kEvent, kDocument, kAmount, kContractor, kDescription, kBefore, kAfter };

struct EventName {
  std::string_view word;
  JournalEvent event;
};

constexpr EventName kEvents[] = {
    {"OZNACZONO", JournalEvent::Marked},
    {"ZAMIENIONO", JournalEvent::Converted},
    {"ZMIANA", JournalEvent::Change},
    {"USUNIETO_Z_JPK", JournalEvent::RemovedFromJpk},
    {"POZOSTAWIONO_W_JPK", JournalEvent::LeftInJpk},
    {"KONFIGURACJA", JournalEvent::Configuration},
    {"BLAD_KONFIGURACJI", JournalEvent::ConfigurationFailed},
};

bool FindEvent(std::string_view word, JournalEvent& event) {
  for (const EventName& name : kEvents) {
    if (name.word == word) {
      event = name.event;
      return true;
    }
  }
  return false;
}

bool IsKept(JournalEvent event) {
  return event == JournalEvent::Converted || event == JournalEvent::RemovedFromJpk || event == JournalEvent::LeftInJpk;
}

bool CarriesAmount(JournalEvent event) { return event == JournalEvent::Marked || event == JournalEvent::Converted; }

bool IsHeader(std::string_view first) {
  return first.size() == 4 && (first[0] | 0x20) == 'd' && (first[1] | 0x20) == 'a' && (first[2] | 0x20) == 't' &&
         (first[3] | 0x20) == 'a';
}

bool HoldsNothing(const JournalLineFields& fields) {
  if (fields.extraHoldText) return false;
  for (int i = 0; i < fields.count && i < kJournalFields; ++i) {
    if (!fields.field[i].empty()) return false;
  }
  return true;
}

// A journal that a program saved again in UTF-8: every line in UTF-8, the
// lines that are not UTF-8 converted from Windows-1250.
std::vector<uint8_t> LinesInUtf8(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> out;
  out.reserve(bytes.size() + bytes.size() / 8);
  std::string converted;
  const char* at = Chars(bytes) + kByteOrderMark.size();
  const char* end = Chars(bytes) + bytes.size();
  while (at < end) {
    const char* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
    const char* lineEnd = newline ? newline + 1 : end;
    const std::string_view line(at, lineEnd - at);
    if (IsUtf8(line)) {
      out.insert(out.end(), line.begin(), line.end());
    } else {
      converted.clear();
      AppendCp1250AsUtf8(line, converted);
      out.insert(out.end(), converted.begin(), converted.end());
    }
    at = lineEnd;
  }
  return out;
}

class LineReader {
 public:
  explicit LineReader(Journal& journal) : journal_(journal) {}

  // Reads the line at `begin`; returns where the next one begins.
  char* Read(int32_t number, char* begin) {
    char* lineEnd;
    const JournalLineFields fields = SplitJournalLine(begin, lineEnd);
    Take(number, fields);
    return lineEnd + 1;
  }

 private:
  void Take(int32_t number, const JournalLineFields& fields) {
    if (!fields.badQuote && HoldsNothing(fields)) return;
    ++journal_.lines;
    if (fields.badQuote) return Unreadable(number, LineProblem::BadQuote, fields.count, {});
    if (IsHeader(fields.field[kDate])) return;
    if (fields.count < kJournalFields) return Unreadable(number, LineProblem::CutShort, fields.count, {});
    if (fields.extraHoldText) return Unreadable(number, LineProblem::TooManyFields, fields.count, {});
    JournalRecord record{};
    record.line = number;
    if (!FindEvent(fields.field[kEvent], record.event)) {
      return Unreadable(number, LineProblem::UnknownEvent, fields.count, fields.field[kEvent]);
    }
    record.day = ParseJournalDay(fields.field[kDate]);
    if (record.day == kNoDay) return Unreadable(number, LineProblem::BadDate, fields.count, fields.field[kDate]);
    record.time = ParseJournalTime(fields.field[kTime]);
    if (record.time < 0) return Unreadable(number, LineProblem::BadTime, fields.count, fields.field[kTime]);
    if (CarriesAmount(record.event) && !fields.field[kAmount].empty()) {
      record.hasAmount = ParseAmount(fields.field[kAmount], record.amount);
      if (!record.hasAmount) {
        return Unreadable(number, LineProblem::BadAmount, fields.count, fields.field[kAmount]);
      }
    }
    if (!IsKept(record.event)) return;
    record.document = fields.field[kDocument];
    record.contractor = fields.field[kContractor];
    record.description = fields.field[kDescription];
    journal_.records.push_back(record);
  }

  void Unreadable(int32_t number, LineProblem problem, int32_t count, std::string_view value) {
    ++journal_.unreadableCount;
    if (journal_.firstUnreadable.size() < kShownUnreadable) {
      journal_.firstUnreadable.push_back({number, problem, count, value});
    }
  }

  Journal& journal_;
};

}  // namespace

Journal ReadJournal(std::vector<uint8_t> bytes) {
  Journal journal;
  const bool marked = bytes.size() >= kByteOrderMark.size() &&
                      std::string_view(Chars(bytes), kByteOrderMark.size()) == kByteOrderMark;
  journal.utf8 = marked;
  journal.text = marked ? LinesInUtf8(bytes) : std::move(bytes);
  // About one record in three lines of about 60 bytes: one allocation in most
  // journals, and the vector grows as vectors do in the others.
  journal.records.reserve(journal.text.size() / 180 + 16);

  // The last line ends with '\n' too, as the lines are read to their '\n'.
  const std::size_t size = journal.text.size();
  if (size == 0 || journal.text.back() != '\n') journal.text.push_back('\n');
  LineReader reader(journal);
  char* at = Chars(journal.text);
  char* const end = at + size;
  for (int32_t number = 1; at < end; ++number) at = reader.Read(number, at);
  return journal;
}

}  // namespace kw::tools
