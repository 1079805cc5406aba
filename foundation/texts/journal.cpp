#include "journal.h"

#include <windows.h>

#include "host_code_pages.h"
#include "host_interface.h"
#include "trace.h"

namespace kw {

namespace {

// The longest line: a register entry's number and the contractor's two texts,
// every character a quote, and two full lists of warehouses.
constexpr int kJournalLineSize = 2048;

class Line {
 public:
  // Appends a field, quoted when it holds the separator or a quote; line
  // breaks become blanks. Nothing is written past the buffer.
  void Field(const char* text) {
    if (length_ > 0) Put(kJournalSeparator);
    if (!text) return;
    bool quoted = false;
    for (const char* c = text; *c; ++c) quoted = quoted || *c == kJournalSeparator || *c == kJournalQuote;
    if (quoted) Put(kJournalQuote);
    for (const char* c = text; *c; ++c) {
      if (*c == kJournalQuote) Put(kJournalQuote);
      Put(*c == '\r' || *c == '\n' ? ' ' : *c);
    }
    if (quoted) Put(kJournalQuote);
  }
  char* Text() {
    text_[length_ < kJournalLineSize ? length_ : kJournalLineSize - 1] = '\0';
    return text_;
  }

 private:
  void Put(char c) {
    if (length_ < kJournalLineSize - 1) text_[length_++] = c;
  }
  char text_[kJournalLineSize];
  int length_ = 0;
};

}  // namespace

void AppendJournal(JournalEvent event, const JournalFields& fields) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char date[] = "RRRR-MM-DD", time[] = "GG:MM:SS";
  TwoDigits(now.wYear / 100, date);
  TwoDigits(now.wYear, date + 2);
  TwoDigits(now.wMonth, date + 5);
  TwoDigits(now.wDay, date + 8);
  TwoDigits(now.wHour, time);
  TwoDigits(now.wMinute, time + 3);
  TwoDigits(now.wSecond, time + 6);
  char identity[kNumberTextSize] = "";
  if (fields.identity != 0) NumberText(fields.identity, identity);
  const char* const columns[] = {date,           time,          JournalEventWord(event),
                                 fields.document, fields.amount, fields.contractor,
                                 fields.description, fields.before, fields.after, identity};
  static_assert(sizeof columns / sizeof columns[0] == kJournalColumns, "a text for every column");
  Line line;
  for (const char* column : columns) line.Field(column);
  char* text = line.Text();
  HostConvertText(text, text, kHostCodeMazovia, kHostCodeWindows1250);
  TraceDecision(JournalEventWord(event), fields.document);
  HostAppendLog(kJournalFile, text);
}

}  // namespace kw
