// The journal Kalwestrowka-dziennik.csv as a format: its file name, its
// columns and its event words. The module writes it, kalwraport reads it and
// the shop's spreadsheets open it, so each of these is written here once.
// Plain data without Windows headers, shared with the tools.
//
// A line: fields separated by ';', a field holding ';' or '"' enclosed in '"'
// with its '"' doubled; texts in the Windows code page; no header line (a
// reader skips a first field equal to "data").
#pragma once

namespace kw {

inline constexpr char kJournalFile[] = "Kalwestrowka-dziennik.csv";
inline constexpr char kJournalSeparator = ';';
inline constexpr char kJournalQuote = '"';

// The columns in their order. Lines written before the document's identity
// was journaled end after kAfter (kColumnsBeforeIdentity fields).
enum JournalColumn {
  kColumnDate,         // data: RRRR-MM-DD, the computer's local date
  kColumnTime,         // czas: GG:MM:SS
  kColumnEvent,        // zdarzenie: one of kJournalEventWords
  kColumnDocument,     // dokument: the document's number text
  kColumnAmount,       // kwota: 1230,00 (decimal comma, two decimals)
  kColumnContractor,   // kontrahent: the contractor's number (register lines)
  kColumnDescription,  // opis
  kColumnBefore,       // przed
  kColumnAfter,        // po
  kColumnIdentity,     // id: the document's link id in the host, decimal; empty where no document is known
  kJournalColumns
};
inline constexpr int kColumnsBeforeIdentity = kColumnIdentity;

enum class JournalEvent {
  Marked,          // OZNACZONO: a sales document given to TMO and marked at its acceptance
  Converted,       // ZAMIENIONO: a marked document converted and stored
  FieldChanged,    // ZMIANA: one field that conversion changed
  EntryRemoved,    // USUNIETO_Z_JPK: a register entry of TMO deleted
  EntryLeft,       // POZOSTAWIONO_W_JPK: one that could not be deleted
  ChoiceSaved,     // KONFIGURACJA: the warehouse choice saved and read back
  ChoiceNotSaved,  // BLAD_KONFIGURACJI: a save that failed or could not be checked
  kCount
};

// Indexed by JournalEvent.
inline constexpr const char* kJournalEventWords[] = {
    "OZNACZONO", "ZAMIENIONO", "ZMIANA", "USUNIETO_Z_JPK", "POZOSTAWIONO_W_JPK", "KONFIGURACJA", "BLAD_KONFIGURACJI",
};
static_assert(sizeof kJournalEventWords / sizeof kJournalEventWords[0] == static_cast<int>(JournalEvent::kCount),
              "one word for each event");

constexpr const char* JournalEventWord(JournalEvent event) { return kJournalEventWords[static_cast<int>(event)]; }

}  // namespace kw
