#include "journal_line.h"

#include <cstring>

namespace kw::tools {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char* SkipBlanks(char* at, char* end) {
  while (at < end && IsBlank(*at)) ++at;
  return at;
}

std::string_view TrimmedView(char* begin, char* end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  return {begin, static_cast<std::size_t>(end - begin)};
}

// The quoted field that opens at `quote`, unquoted in place; `after` is left
// at the field's ';' or at the end. False when the quote is not closed or
// something other than blanks follows it before the ';'.
bool UnquoteField(char* quote, char* end, std::string_view& field, char*& after) {
  char* out = quote;
  char* in = quote + 1;
  for (;;) {
    char* close = in < end ? static_cast<char*>(std::memchr(in, '"', end - in)) : nullptr;
    if (!close) return false;
    std::memmove(out, in, close - in);
    out += close - in;
    if (close + 1 < end && close[1] == '"') {
      *out++ = '"';
      in = close + 2;
      continue;
    }
    after = SkipBlanks(close + 1, end);
    field = {quote, static_cast<std::size_t>(out - quote)};
    return after == end || *after == ';';
  }
}

}  // namespace

JournalLineFields SplitJournalLine(char* line, char* end) {
  JournalLineFields fields;
  for (char* at = line;;) {
    std::string_view field;
    char* after;  // the field's ';' or the end
    char* start = SkipBlanks(at, end);
    if (start < end && *start == '"') {
      if (!UnquoteField(start, end, field, after)) {
        fields.badQuote = true;
        return fields;
      }
    } else {
      char* separator = at < end ? static_cast<char*>(std::memchr(at, ';', end - at)) : nullptr;
      after = separator ? separator : end;
      field = TrimmedView(at, after);
    }
    if (fields.count < kJournalFields) {
      fields.field[fields.count] = field;
    } else if (!field.empty()) {
      fields.extraHoldText = true;
    }
    ++fields.count;
    if (after == end) return fields;
    at = after + 1;
  }
}

}  // namespace kw::tools
