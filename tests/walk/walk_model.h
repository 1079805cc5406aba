// The random walk's model of the shop: which documents the user sold as
// consigned goods and what each stored document may look like afterwards, and
// what komis.cfg may hold after the user confirmed a choice. Everything here is
// written from what the user and the host did and from the host's record
// layouts, never from the module's code.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kwtest {

// What the acceptance of a document must do to it.
enum class Fate {
  Untouched,  // not consigned: the module leaves it as entered
  Consigned,  // kind 24 with a line from a flagged warehouse, in a dialog with an object: TMO and marked
  Either,     // the step changed the dialog's object or flags under the acceptance: one or the other
};

// A stored sales document and what it must go through.
struct StoredDocument {
  int record;
  std::string number;     // UTF-8, for the reports
  std::string stored;     // the record's bytes when the host stored it
  bool marked;            // stored marked for conversion
  std::string converted;  // its bytes once converted; empty before
};

class DocumentModel {
 public:
  // The document in hand after its acceptance returned to the host, against
  // the document as entered and its predicted fate; empty when it may be so.
  static std::string JudgeAcceptance(const std::string& entered, const std::string& inHand, Fate fate,
                                     bool tmoAssigned);
  static bool IsMarked(const std::string& bytes);

  void Stored(int record, const std::string& number, const std::string& bytes);
  std::size_t Count() const { return documents_.size(); }
  const std::vector<StoredDocument>& Documents() const { return documents_; }

  // Checks the records written since the last check (every record when
  // `all`) against what each may be: as stored, or converted once from it.
  // Answers the first broken promise, or nothing.
  std::optional<std::string> CheckWritten(const std::function<std::string(int)>& record,
                                          const std::vector<int>& written, bool all);
  // After a dialog's end that must have converted: a marked document left
  // among the first `due` stored.
  std::optional<std::string> FirstWaiting(std::size_t due) const;
  int Converted() const;
  // The journal's lines (JournalLine) of the documents found converted since
  // the last call: ZAMIENIONO, then a ZMIANA for each field changed.
  std::vector<std::string> TakeNewlyConverted() { return std::exchange(newlyConverted_, {}); }

 private:
  std::optional<std::string> CheckOne(StoredDocument& document, const std::string& now);
  void AddConversionLines(const std::string& stored, const std::string& now);

  std::vector<StoredDocument> documents_;
  std::vector<std::string> newlyConverted_;
  std::map<int, std::size_t> byRecord_;
  std::map<int, int> writes_;  // HostWriteSelected of each record
  std::size_t writesSeen_ = 0;
};

// A configuration dialog that ended in a step: what the user confirmed, what
// komis.cfg held at that moment, and how many boxes had been shown by then.
struct SavedChoice {
  bool ok;
  std::string chosen;              // the 202 bytes of the flags on the dialog at its end
  std::optional<std::string> old;  // komis.cfg then
  std::string opened;              // the 202 bytes of the flags the dialog showed at its start
  std::size_t boxesBefore;
};

// The texts the module may show after a save of komis.cfg (Mazovia), and
// whether what the file holds afterwards agrees with the one shown last (none:
// the flags chosen must be there). Empty when it agrees.
std::string JudgeSave(const SavedChoice& save, const std::optional<std::string>& now,
                      const std::optional<std::string>& lastSaveBox);
bool IsSaveBox(const std::string& text);

// A save's warning as a journal line gives it (line breaks as blanks).
bool IsSaveWarningInJournal(const std::string& utf8);

// A line of the module's journal split into its fields, quotes undone.
std::vector<std::string> JournalFieldsOf(const std::string& line);
// The fields of a journal line from the event on, joined by '|': what the
// walk expects a line to say, whatever its date and time.
std::string JournalLine(const std::vector<std::string>& fields);
// The warehouses 202 bytes of flags mark, as the journal writes them: "1, 3".
std::string WarehouseList(const std::string& flags);
// A document's identity as the journal writes it: its link id, empty for 0.
std::string IdentityText(int32_t link);
// An amount as the journal writes it: "1230,00".
std::string JournalAmount(double amount);

}  // namespace kwtest
