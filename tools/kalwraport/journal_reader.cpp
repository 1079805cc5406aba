#include "journal_reader.h"

#include <algorithm>
#include <memory>

#include "line_splitter.h"
#include "windows1250.h"

namespace kw::tools {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

bool IsHeader(std::string_view first) {
  return first.size() == 4 && (first[0] | 0x20) == 'd' && (first[1] | 0x20) == 'a' && (first[2] | 0x20) == 't' &&
         (first[3] | 0x20) == 'a';
}

bool FindEvent(std::string_view word, JournalEvent& event) {
  for (int i = 0; i < static_cast<int>(JournalEvent::kCount); ++i) {
    if (word == kJournalEventWords[i]) {
      event = static_cast<JournalEvent>(i);
      return true;
    }
  }
  return false;
}

// A last field that begins an event word: the line was cut short in it.
bool BeginsEvent(std::string_view word) {
  for (const char* known : kJournalEventWords) {
    if (!word.empty() && std::string_view(known).substr(0, word.size()) == word) return true;
  }
  return false;
}

bool NamesDocument(JournalEvent event) {
  return event != JournalEvent::ChoiceSaved && event != JournalEvent::ChoiceNotSaved;
}

bool CarriesAmount(JournalEvent event) { return event == JournalEvent::Marked || event == JournalEvent::Converted; }

bool HoldsNothing(const SplitLine& line) {
  if (line.extraHoldText || line.badQuote) return false;
  return std::all_of(line.field.begin(), line.field.end(), [](const SplitField& f) { return f.size == 0; });
}

// The events whose document the settlement looks up by its number.
bool JoinsByNumber(JournalEvent event) { return event != JournalEvent::FieldChanged && NamesDocument(event); }

class LineReader {
 public:
  LineReader(JournalSink& sink, JournalSummary& summary) : sink_(sink), summary_(summary) {}

  // The byte-order mark is looked for across pieces, however small.
  void Feed(const char* at, const char* end) {
    while (!markDone_ && at < end && *at == kByteOrderMark[markBytes_]) {
      ++at;
      markDone_ = ++markBytes_ == kByteOrderMark.size();
    }
    if (!markDone_ && at < end) NotAMark();
    while (splitter_.Next(at, end)) Take(splitter_.Line());
  }

  void Finish() {
    if (!markDone_) NotAMark();
    if (splitter_.Finish()) Take(splitter_.Line());
  }

 private:
  void Take(const SplitLine& line);
  bool Parse(const SplitLine& line, JournalEntry& entry);
  void Unreadable(LineProblem problem, const SplitLine& line, int column);
  FieldText Text(const SplitLine& line, int column) const;

  // What was taken for the beginning of a mark is text after all.
  void NotAMark() {
    const char* taken = kByteOrderMark.data();
    markDone_ = true;
    while (splitter_.Next(taken, kByteOrderMark.data() + markBytes_)) Take(splitter_.Line());
  }

  JournalSink& sink_;
  JournalSummary& summary_;
  LineSplitter splitter_;
  int64_t number_ = 0;
  std::size_t markBytes_ = 0;  // of the byte-order mark, at the file's beginning
  bool markDone_ = false;      // read past it, or past what is not one
  bool afterZeros_ = false;    // the line before ended in a run of zero bytes
};

FieldText LineReader::Text(const SplitLine& line, int column) const {
  const SplitField& field = line.field[column];
  const bool utf8 = line.validUtf8;
  const uint64_t keptChars = utf8 ? std::count_if(field.text, field.text + field.keptSize, [](char c) {
    return (static_cast<uint8_t>(c) & 0xC0) != 0x80;
  }) : field.keptSize;
  return {field.Kept(), (utf8 ? field.utf8Chars : field.size) - keptChars, utf8};
}

// A line a run of zero bytes ended is a damaged line of the file; the text
// after the zeros is the rest of that line of the file, read as a line of
// its own under the same number.
void LineReader::Take(const SplitLine& line) {
  number_ += !afterZeros_;
  afterZeros_ = line.zeroBytes > 0;
  if (line.zeroBytes) return ++summary_.lines, Unreadable(LineProblem::ZeroBytes, line, -1);
  if (HoldsNothing(line)) return;
  ++summary_.lines;
  if (line.badQuote) return Unreadable(LineProblem::BadQuote, line, -1);
  if (IsHeader(line.field[kColumnDate].Kept())) return;
  JournalEntry entry;
  if (!Parse(line, entry)) return;
  summary_.firstDay = summary_.firstDay == kNoDay ? entry.day : std::min(summary_.firstDay, entry.day);
  summary_.lastDay = std::max(summary_.lastDay, entry.day);
  sink_.Take(entry);
}

// A text to show in a reason: its control bytes (a damaged file's) written
// as \xNN, so that none reaches the report or a terminal.
std::string WithoutControlBytes(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return out;
}

bool LineReader::Parse(const SplitLine& line, JournalEntry& entry) {
  const auto fail = [&](LineProblem problem, int column) { return Unreadable(problem, line, column), false; };
  if (line.count <= kColumnEvent) return fail(LineProblem::CutShort, -1);
  if (line.extraHoldText) return fail(LineProblem::TooManyFields, -1);
  entry.line = number_;
  const std::string_view event = line.field[kColumnEvent].Kept();
  if (!FindEvent(event, entry.event)) {
    const bool cut = line.count == kColumnEvent + 1 && BeginsEvent(event);
    return fail(cut ? LineProblem::CutShort : LineProblem::UnknownEvent, cut ? -1 : kColumnEvent);
  }
  if (NamesDocument(entry.event) && line.count <= kColumnDocument) return fail(LineProblem::CutShort, -1);
  entry.day = ParseJournalDay(line.field[kColumnDate].Kept());
  if (entry.day == kNoDay) return fail(LineProblem::BadDate, kColumnDate);
  entry.time = ParseJournalTime(line.field[kColumnTime].Kept());
  if (entry.time < 0) return fail(LineProblem::BadTime, kColumnTime);
  if (NamesDocument(entry.event) && line.field[kColumnDocument].size == 0) return fail(LineProblem::NoNumber, -1);
  const SplitField& amount = line.field[kColumnAmount];
  entry.hasAmount = CarriesAmount(entry.event) && amount.size > 0;
  entry.amount = 0;
  if (entry.hasAmount && (amount.Cut() || !ParseAmount(amount.Kept(), entry.amount))) {
    return fail(LineProblem::BadAmount, kColumnAmount);
  }
  const SplitField& identity = line.field[kColumnIdentity];
  entry.identity = 0;
  if (identity.size > 0 && (identity.Cut() || !ParseIdentity(identity.Kept(), entry.identity))) {
    return fail(LineProblem::BadIdentity, kColumnIdentity);
  }
  entry.numberKey = JoinsByNumber(entry.event) ? DocumentHash(line) : 0;
  entry.document = Text(line, kColumnDocument);
  entry.contractor = Text(line, kColumnContractor);
  entry.description = Text(line, kColumnDescription);
  return true;
}

void LineReader::Unreadable(LineProblem problem, const SplitLine& line, int column) {
  ++summary_.unreadableCount;
  if (summary_.firstUnreadable.size() >= kShownUnreadable) return;
  const std::string value = column < 0 ? std::string() : WithoutControlBytes(ShownText(Text(line, column)));
  summary_.firstUnreadable.push_back({number_, problem, line.count, value, line.zeroBytes});
}

}  // namespace

std::string ShownText(const FieldText& field) {
  std::string_view kept = field.kept;
  uint64_t cutChars = field.cutChars;
  if (field.utf8 && cutChars) {  // not half a character at the cut
    std::size_t back = 0;
    while (back < 3 && back < kept.size() && (static_cast<uint8_t>(kept[kept.size() - 1 - back]) & 0xC0) == 0x80) ++back;
    const uint8_t lead = back < kept.size() ? static_cast<uint8_t>(kept[kept.size() - 1 - back]) : 0;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length > back + 1) kept.remove_suffix(back + 1), ++cutChars;
  }
  std::string text = field.utf8 ? std::string(kept) : Cp1250ToUtf8(kept);
  if (cutChars) text += "... (i dalsze " + GroupedNumber(static_cast<int64_t>(cutChars)) + " zn.)";
  return text;
}

bool ReadJournal(FileStream& file, JournalSink& sink, JournalSummary& summary) {
  LineReader reader(sink, summary);
  const std::unique_ptr<char[]> piece(new char[kPieceBytes]);
  for (std::size_t got; (got = file.Read(piece.get(), kPieceBytes)) > 0;) reader.Feed(piece.get(), piece.get() + got);
  summary.bytes = file.BytesRead();
  if (file.Failed()) return false;
  reader.Finish();
  return true;
}

void ReadJournalText(std::string_view text, JournalSink& sink, JournalSummary& summary, std::size_t pieceBytes) {
  LineReader reader(sink, summary);
  for (std::size_t at = 0; at < text.size(); at += pieceBytes) {
    reader.Feed(text.data() + at, text.data() + at + std::min(pieceBytes, text.size() - at));
  }
  reader.Finish();
  summary.bytes = text.size();
}

}  // namespace kw::tools
