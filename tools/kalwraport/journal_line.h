// One line of the journal split into its fields: separated by ';', a field
// enclosed in '"' may hold ';' and doubled '"'. The fields are unquoted in
// place, in the line's own bytes, and blanks (and the CR of CR LF) around them
// are dropped. The line is read once, byte by byte, to its '\n', which the
// caller guarantees before the end of the buffer (the journal's text ends with
// one), so that no byte is looked at twice and no search is started per field.
#pragma once

#include <array>
#include <string_view>

namespace kw::tools {

constexpr int kJournalFields = 9;

struct JournalLineFields {
  std::array<std::string_view, kJournalFields> field{};
  int count = 0;               // every field of the line, also past the ninth
  bool extraHoldText = false;  // a field past the ninth is not empty
  bool badQuote = false;       // a quote not closed, or text after a closing quote
};

// Splits the line that begins at `line`; `lineEnd` is left at its '\n'.
JournalLineFields SplitJournalLine(char* line, char*& lineEnd);

}  // namespace kw::tools
