// The journal's lines split into their fields as the bytes stream past, so
// that neither a line nor a field is ever held whole: fields separated by ';',
// a field enclosed in '"' may hold ';' and doubled '"', blanks (and the CR of
// CR LF) around a field are dropped. Of each field the first kKeptFieldBytes
// are kept for the report, with the whole field's length; the document's
// number is also hashed whole, taken as UTF-8 and as Windows-1250, so that
// documents are told apart however long their numbers and whatever the code
// page of the line that names them. A line whole in the bytes at hand and
// without quotes, tabs or a CR inside is split at once (most of a journal);
// any other byte by byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "journal_format.h"

namespace kw::tools {

constexpr std::size_t kKeptFieldBytes = 160;

struct SplitField {
  const char* text;      // the kept bytes: in kept, or in the line's own bytes when it was split at once
  std::size_t keptSize;  // bytes kept
  uint64_t size;         // bytes of the whole field, unquoted and trimmed
  uint64_t utf8Chars;    // of them, those that begin a character when the line is UTF-8
  uint64_t hashUtf8;     // of the whole field's text taken as UTF-8 (the document's column split byte by byte)
  uint64_t hashCp1250;   // of the same text converted from Windows-1250 to UTF-8
  char kept[kKeptFieldBytes];

  std::string_view Kept() const { return {text, keptSize}; }
  bool Cut() const { return size > keptSize; }
};

struct SplitLine {
  std::array<SplitField, kJournalColumns> field;
  uint64_t count;      // every field of the line, also past the last column
  bool extraHoldText;  // a field past the last column is not empty
  bool badQuote;       // a quote not closed, or text after a closing quote
  bool validUtf8;      // the line's bytes are UTF-8
  uint64_t zeroBytes;  // a run of zero bytes ended the line (what a crash during an append leaves): its length
  const char* document;  // the document's whole field, when the line was split at once (hashed when asked), or null
};

// The document's number (its whole field) hashed as UTF-8 text, in the line's
// code page: the same number gives the same hash in either.
uint64_t DocumentHash(const SplitLine& line);

class LineSplitter {
 public:
  LineSplitter() { Reset(); }

  // Reads bytes from `at` towards `end`; true when a line ended (its '\n' is
  // read and `at` is past it, or a run of zero bytes is and `at` is at the
  // byte after it), its fields in Line(); false when the bytes ran out first
  // (the line goes on in the next ones).
  bool Next(const char*& at, const char* end);
  // At the end of the file: true when a last line without '\n' was begun.
  bool Finish();
  const SplitLine& Line() const { return line_; }

 private:
  enum class State : uint8_t { FieldStart, Unquoted, Quoted, QuoteSeen, AfterQuote, SkipLine };

  void Reset();
  bool SplitWhole(const char* at, const char* lineEnd);
  void WholeField(std::size_t column, const char* at, const char* end, bool ascii);
  bool Take(char c);  // true when c ended the line
  void EndLine();
  void TakeQuoted(char c);
  void Append(char c);
  void FlushBlanks();
  void EndField();
  void Utf8Byte(uint8_t byte);

  SplitLine line_;
  State state_;
  std::size_t pendingBlanks_;            // blanks inside an unquoted field, kept only if text follows
  std::array<char, 8> pendingBlank_;     // the first of them as they were
  int utf8Needs_;                        // continuation bytes the current character still needs
  bool begun_;                           // a byte of the current line was read
  bool ended_;                           // Line() holds a whole line; the next byte begins another
};

}  // namespace kw::tools
