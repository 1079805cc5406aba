#include "journal_line.h"

namespace kw::tools {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

char* SkipBlanks(char* at) {
  while (IsBlank(*at)) ++at;
  return at;
}

std::string_view TrimmedView(char* begin, char* end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  return {begin, static_cast<std::size_t>(end - begin)};
}

// The quoted field that opens at `quote`, unquoted in place; `after` is left
// at the field's ';' or the line's '\n'. False when the quote is not closed on
// the line or something other than blanks follows it before the ';'.
bool UnquoteField(char* quote, std::string_view& field, char*& after) {
  char* out = quote;
  char* in = quote + 1;
  for (;; ++in) {
    if (*in == '\n') {
      after = in;
      return false;
    }
    if (*in != '"') {
      *out++ = *in;
    } else if (in[1] == '"') {
      *out++ = *in++;
    } else {
      break;
    }
  }
  field = {quote, static_cast<std::size_t>(out - quote)};
  after = SkipBlanks(in + 1);
  return *after == ';' || *after == '\n';
}

char* EndOfLine(char* at) {
  while (*at != '\n') ++at;
  return at;
}

}  // namespace

JournalLineFields SplitJournalLine(char* line, char*& lineEnd) {
  JournalLineFields fields;
  for (char* at = line;;) {
    std::string_view field;
    char* after;  // the field's ';' or the line's '\n'
    char* start = SkipBlanks(at);
    if (*start == '"') {
      if (!UnquoteField(start, field, after)) {
        fields.badQuote = true;
        lineEnd = EndOfLine(after);
        return fields;
      }
    } else {
      after = start;
      while (*after != ';' && *after != '\n') ++after;
      field = TrimmedView(start, after);
    }
    if (fields.count < kJournalFields) {
      fields.field[fields.count] = field;
    } else if (!field.empty()) {
      fields.extraHoldText = true;
    }
    ++fields.count;
    if (*after == '\n') {
      lineEnd = after;
      return fields;
    }
    at = after + 1;
  }
}

}  // namespace kw::tools
