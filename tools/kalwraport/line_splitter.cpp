#include "line_splitter.h"

#include <algorithm>
#include <cstring>

#include "windows1250.h"

namespace kw::tools {

namespace {

constexpr uint64_t kHashStart = 14695981039346656037ull;  // FNV-1a, 64 bits
constexpr uint64_t kHashPrime = 1099511628211ull;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

uint64_t HashByte(uint64_t hash, uint8_t byte) { return (hash ^ byte) * kHashPrime; }

// The Windows-1250 byte's character in UTF-8 fed to the hash.
uint64_t HashCp1250Byte(uint64_t hash, uint8_t byte) {
  if (byte < 0x80) return HashByte(hash, byte);
  const char32_t c = Cp1250Char(byte);
  if (c < 0x800) return HashByte(HashByte(hash, 0xC0 | (c >> 6)), 0x80 | (c & 0x3F));
  hash = HashByte(HashByte(hash, 0xE0 | (c >> 12)), 0x80 | ((c >> 6) & 0x3F));
  return HashByte(hash, 0x80 | (c & 0x3F));
}

}  // namespace

void LineSplitter::Reset() {
  for (SplitField& field : line_.field) {
    field.text = field.kept;
    field.keptSize = 0;
    field.size = field.utf8Chars = 0;
    field.hashUtf8 = field.hashCp1250 = kHashStart;
  }
  line_.count = 0;
  line_.extraHoldText = line_.badQuote = false;
  line_.validUtf8 = true;
  line_.zeroBytes = 0;
  line_.document = nullptr;
  state_ = State::FieldStart;
  pendingBlanks_ = 0;
  utf8Needs_ = 0;
  begun_ = false;
  ended_ = false;
}

// A byte that only goes on an unquoted field: no separator, blank, quote,
// zero or byte of a UTF-8 character (those Take() sees one by one).
bool IsPlain(char c) {
  return static_cast<uint8_t>(c) < 0x80 && c != kJournalSeparator && c != '\n' && c != kJournalQuote && c != '\0' &&
         !IsBlank(c);
}

bool LineSplitter::Next(const char*& at, const char* end) {
  if (ended_) Reset();
  if (!begun_ && at < end) {
    const char* lineEnd = static_cast<const char*>(std::memchr(at, '\n', end - at));
    if (lineEnd && SplitWhole(at, lineEnd)) {
      at = lineEnd + 1;
      return ended_ = true;
    }
  }
  while (at < end) {
    if (line_.zeroBytes && *at != '\0') {  // the byte after a run of zeros begins the next line
      EndLine();
      return ended_ = true;
    }
    if (state_ == State::Unquoted && pendingBlanks_ == 0 && line_.count < kJournalColumns &&
        line_.count != kColumnDocument) {
      const char* run = at;  // most of a journal: plain text of a field, taken as a run
      while (run < end && IsPlain(*run)) ++run;
      SplitField& field = line_.field[line_.count];
      const std::size_t kept = std::min<std::size_t>(run - at, kKeptFieldBytes - field.keptSize);
      std::memcpy(field.kept + field.keptSize, at, kept);
      field.keptSize += kept;
      field.size += run - at;
      field.utf8Chars += run - at;
      at = run;
      if (at == end) break;
    }
    begun_ = true;
    if (Take(*at++)) {
      ended_ = true;
      return true;
    }
  }
  return false;
}

bool LineSplitter::Finish() {
  if (ended_) Reset();
  if (!begun_) return false;
  Take('\n');
  ended_ = true;
  return true;
}

namespace {

// The line's bytes as Take() would check them, one by one.
bool IsUtf8Line(const char* at, const char* end) {
  int needs = 0;
  bool valid = true;
  for (; at < end; ++at) {
    const uint8_t byte = static_cast<uint8_t>(*at);
    if (needs > 0) {
      valid &= (byte & 0xC0) == 0x80;
      --needs;
    } else if (byte >= 0xC2 && byte <= 0xDF) {
      needs = 1;
    } else if (byte >= 0xE0 && byte <= 0xF4) {
      needs = byte >= 0xF0 ? 3 : 2;
    } else {
      valid &= byte < 0x80;
    }
  }
  return valid && needs == 0;
}

// What a line's bytes hold that decides how it is split.
struct LineBytes {
  bool plain;  // no quote, tab or CR: every separator separates and only spaces are blanks
  bool ascii;
};

constexpr uint64_t kEachByte = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// Whether a byte of `word` is `byte` (eight at a time, no byte taken for another).
bool HasByte(uint64_t word, char byte) {
  const uint64_t x = word ^ (kEachByte * static_cast<uint8_t>(byte));
  return ((x - kEachByte) & ~x & kHighBits) != 0;
}

bool IsPlainByte(char c) { return c != kJournalQuote && c != '\t' && c != '\r' && c != '\0'; }

LineBytes LineBytesOf(const char* at, const char* end) {
  uint64_t any = 0;
  for (uint64_t word; end - at >= 8; at += 8) {
    std::memcpy(&word, at, 8);
    if (HasByte(word, kJournalQuote) || HasByte(word, '\t') || HasByte(word, '\r') || HasByte(word, '\0')) {
      return {false, false};
    }
    any |= word;
  }
  for (; at < end; ++at) {
    if (!IsPlainByte(*at)) return {false, false};
    any |= static_cast<uint8_t>(*at);
  }
  return {true, (any & kHighBits) == 0};
}

}  // namespace

// The line [at, lineEnd) split at once, when no quote, tab, zero or inner CR makes
// Take()'s states matter: a field is then its bytes between separators, blanks
// around it dropped. False (nothing done) for any other line.
bool LineSplitter::SplitWhole(const char* at, const char* lineEnd) {
  const char* end = lineEnd > at && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
  const LineBytes bytes = LineBytesOf(at, end);
  if (!bytes.plain) return false;
  const bool ascii = bytes.ascii;
  line_.validUtf8 = ascii || IsUtf8Line(at, lineEnd);
  for (const char* field = at;; ++line_.count) {
    const char* next = static_cast<const char*>(std::memchr(field, kJournalSeparator, end - field));
    const char* fieldEnd = next ? next : end;
    while (field < fieldEnd && *field == ' ') ++field;
    while (fieldEnd > field && fieldEnd[-1] == ' ') --fieldEnd;
    if (line_.count < kJournalColumns) WholeField(line_.count, field, fieldEnd, ascii);
    else if (field < fieldEnd) line_.extraHoldText = true;
    if (!next) break;
    field = next + 1;
  }
  ++line_.count;
  begun_ = true;
  return true;
}

void LineSplitter::WholeField(std::size_t column, const char* at, const char* end, bool ascii) {
  SplitField& field = line_.field[column];
  field.size = end - at;
  field.keptSize = std::min<std::size_t>(field.size, kKeptFieldBytes);
  field.text = at;
  field.utf8Chars = ascii ? field.size : std::count_if(at, end, [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; });
  if (column == kColumnDocument) line_.document = at;
}

uint64_t DocumentHash(const SplitLine& line) {
  const SplitField& field = line.field[kColumnDocument];
  if (!line.document) return line.validUtf8 ? field.hashUtf8 : field.hashCp1250;
  uint64_t hash = kHashStart;
  const char* const end = line.document + field.size;
  if (line.validUtf8) {
    for (const char* at = line.document; at < end; ++at) hash = HashByte(hash, static_cast<uint8_t>(*at));
  } else {
    for (const char* at = line.document; at < end; ++at) hash = HashCp1250Byte(hash, static_cast<uint8_t>(*at));
  }
  return hash;
}

void LineSplitter::Utf8Byte(uint8_t byte) {
  if (utf8Needs_ > 0) {
    if ((byte & 0xC0) != 0x80) line_.validUtf8 = false;
    --utf8Needs_;
    return;
  }
  if (byte < 0x80) return;
  if (byte >= 0xC2 && byte <= 0xDF) {
    utf8Needs_ = 1;
  } else if (byte >= 0xE0 && byte <= 0xF4) {
    utf8Needs_ = byte >= 0xF0 ? 3 : 2;
  } else {
    line_.validUtf8 = false;
  }
}

void LineSplitter::Append(char c) {
  if (line_.count >= kJournalColumns) {
    line_.extraHoldText = true;
    return;
  }
  SplitField& field = line_.field[line_.count];
  if (field.keptSize < kKeptFieldBytes) field.kept[field.keptSize++] = c;
  ++field.size;
  field.utf8Chars += (static_cast<uint8_t>(c) & 0xC0) != 0x80;
  if (line_.count == kColumnDocument) {
    field.hashUtf8 = HashByte(field.hashUtf8, static_cast<uint8_t>(c));
    field.hashCp1250 = HashCp1250Byte(field.hashCp1250, static_cast<uint8_t>(c));
  }
}

void LineSplitter::FlushBlanks() {
  for (std::size_t i = 0; i < pendingBlanks_; ++i) Append(i < pendingBlank_.size() ? pendingBlank_[i] : ' ');
  pendingBlanks_ = 0;
}

void LineSplitter::EndField() {
  pendingBlanks_ = 0;
  ++line_.count;
  state_ = State::FieldStart;
}

void LineSplitter::EndLine() {
  if (state_ == State::Quoted) line_.badQuote = true;
  if (state_ != State::SkipLine && state_ != State::Quoted) EndField();
  if (utf8Needs_) line_.validUtf8 = false;
}

// One byte of the line; the states are those of a field being read.
bool LineSplitter::Take(char c) {
  if (c == '\0') return ++line_.zeroBytes, false;
  if (static_cast<uint8_t>(c) >= 0x80 || utf8Needs_) Utf8Byte(static_cast<uint8_t>(c));
  if (c == '\n') return EndLine(), true;
  switch (state_) {
    case State::FieldStart:
      if (c == kJournalQuote) {
        state_ = State::Quoted;
      } else if (c == kJournalSeparator) {
        EndField();
      } else if (!IsBlank(c)) {
        state_ = State::Unquoted;
        Append(c);
      }
      break;
    case State::Unquoted:
      if (c == kJournalSeparator) {
        EndField();
      } else if (IsBlank(c)) {
        if (pendingBlanks_ < pendingBlank_.size()) pendingBlank_[pendingBlanks_] = c;
        ++pendingBlanks_;
      } else {
        if (pendingBlanks_) FlushBlanks();
        Append(c);
      }
      break;
    case State::Quoted:
    case State::QuoteSeen:
    case State::AfterQuote: TakeQuoted(c); break;
    case State::SkipLine: break;
  }
  return false;
}

// A byte in a quoted field or after it: a doubled quote is one, the closing
// quote may be followed by blanks only.
void LineSplitter::TakeQuoted(char c) {
  if (state_ == State::Quoted) {
    if (c == kJournalQuote) {
      state_ = State::QuoteSeen;
    } else {
      Append(c);
    }
  } else if (c == kJournalQuote && state_ == State::QuoteSeen) {
    Append(c);
    state_ = State::Quoted;
  } else if (c == kJournalSeparator) {
    EndField();
  } else if (IsBlank(c)) {
    state_ = State::AfterQuote;
  } else {
    line_.badQuote = true;
    state_ = State::SkipLine;
  }
}

}  // namespace kw::tools
