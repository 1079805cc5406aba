// One line of the journal split into its fields: separated by ';', a field
// enclosed in '"' may hold ';' and doubled '"'. The fields are unquoted in
// place, in the line's own bytes, and blanks around them are dropped.
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

// `line` without its line end; its bytes are changed by the unquoting.
JournalLineFields SplitJournalLine(char* line, char* end);

}  // namespace kw::tools
