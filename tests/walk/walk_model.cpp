#include "walk_model.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "host_records.h"
#include "journal_format.h"
#include "test_support.h"

namespace kwtest {

namespace {

// The fields the module may set, by their offsets in the host's record.
struct Field {
  std::size_t offset, size;
};
constexpr Field kNumber{2, 16}, kNote{436, 100}, kPending{1195, 2}, kSettled{239, 8}, kBalance{247, 8},
    kTerms{255, 4}, kFlags{403, 2}, kSplit{874, 32};
constexpr uint16_t kTmoTermsWord = 0x0200;  // the example shop's TMO: settled in parts
constexpr uint16_t kTmoTermsAux = 0x0007;
const char* const kMarkNote = "Wtyczka Kalwestrowka";

const kw::DocRecord& AsDocument(const std::string& bytes) {
  return *reinterpret_cast<const kw::DocRecord*>(bytes.data());
}

// The two records agree in every byte outside the fields given.
bool SameOutside(const std::string& a, const std::string& b, std::initializer_list<Field> fields) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    bool inside = false;
    for (const Field& f : fields) inside = inside || (i >= f.offset && i < f.offset + f.size);
    if (!inside && a[i] != b[i]) return false;
  }
  return true;
}

std::string Text(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

// `now` is `entered` marked for conversion, and nothing else changed.
bool MarkedFrom(const std::string& entered, const std::string& now) {
  const kw::DocRecord& d = AsDocument(now);
  return SameOutside(entered, now, {kNumber, kNote, kPending}) && Text(d.DocNumber, sizeof d.DocNumber) == "." &&
         Text(d.DocNote, sizeof d.DocNote) == kMarkNote && d.ConversionPending == 1;
}

// `now` is the marked `stored` converted with TMO's terms, and nothing else changed.
bool ConvertedFrom(const std::string& stored, const std::string& now) {
  const kw::DocRecord& before = AsDocument(stored);
  const kw::DocRecord& d = AsDocument(now);
  bool splitCleared = true;
  for (const double amount : d.SplitAmount) splitCleared = splitCleared && amount == 0.0;
  return SameOutside(stored, now, {kNumber, kPending, kSettled, kBalance, kTerms, kFlags, kSplit}) &&
         d.DocFlags == (before.DocFlags | 0x400) && d.ConversionPending == 0 && d.TermsWord == kTmoTermsWord &&
         d.TermsAux == kTmoTermsAux && splitCleared && d.SettledAmount == 0.0 &&
         d.BalanceAmount == d.TotalAmount + d.AddAmount - d.DeductAmount &&
         Text(d.DocNumber, sizeof d.DocNumber) == Text(d.DocAltNumber, sizeof d.DocAltNumber);
}

}  // namespace

bool DocumentModel::IsMarked(const std::string& bytes) { return AsDocument(bytes).ConversionPending != 0; }

std::string DocumentModel::JudgeAcceptance(const std::string& entered, const std::string& inHand, Fate fate,
                                           bool tmoAssigned) {
  const bool untouched = inHand == entered;
  const bool marked = !untouched && MarkedFrom(entered, inHand);
  if (!untouched && !marked) return "the document in hand after its acceptance is not the one accepted";
  if (marked && !tmoAssigned) return "the document was marked without TMO assigned to it";
  if (fate == Fate::Consigned && !marked) return "a document of consigned goods was not given to TMO and marked";
  if (fate == Fate::Untouched && marked) return "a document that holds no consigned goods was marked";
  return {};
}

void DocumentModel::Stored(int record, const std::string& number, const std::string& bytes) {
  byRecord_[record] = documents_.size();
  documents_.push_back({record, number, bytes, IsMarked(bytes), {}});
}

namespace {

std::string Hex(uint16_t word) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", word);
  return text;
}

}  // namespace

// The journal's lines of a conversion, from the two records: the document as
// converted with its amount and identity, then each field that differs.
void DocumentModel::AddConversionLines(const std::string& stored, const std::string& now) {
  const kw::DocRecord& a = AsDocument(stored);
  const kw::DocRecord& b = AsDocument(now);
  const std::string number = Text(b.DocNumber, sizeof b.DocNumber), id = IdentityText(b.DocLinkId);
  newlyConverted_.push_back(JournalLine({"", "", "ZAMIENIONO", number, JournalAmount(b.TotalAmount), "", "", "", "", id}));
  const auto change = [&](const std::string& field, const std::string& before, const std::string& after) {
    if (before != after) newlyConverted_.push_back(JournalLine({"", "", "ZMIANA", number, "", "", field, before, after, id}));
  };
  const auto amount = [&](const std::string& field, double before, double after) {
    if (before != after) change(field, JournalAmount(before), JournalAmount(after));
  };
  change("Numer", Text(a.DocNumber, sizeof a.DocNumber), number);
  change("Flagi", Hex(a.DocFlags), Hex(b.DocFlags));
  change("Do zamiany", std::to_string(a.ConversionPending), std::to_string(b.ConversionPending));
  change("Warunki", Hex(a.TermsWord), Hex(b.TermsWord));
  change("Warunki dod.", Hex(a.TermsAux), Hex(b.TermsAux));
  amount("Rozliczono", a.SettledAmount, b.SettledAmount);
  amount("Saldo", a.BalanceAmount, b.BalanceAmount);
  for (int i = 0; i < 4; ++i) amount("Kwota podziału " + std::to_string(i + 1), a.SplitAmount[i], b.SplitAmount[i]);
}

std::optional<std::string> DocumentModel::CheckOne(StoredDocument& document, const std::string& now) {
  const std::string which = "document " + document.number;
  const int writes = writes_[document.record];
  if (!document.converted.empty()) {
    if (now != document.converted) return which + " changed after its conversion";
  } else if (now != document.stored) {
    if (!document.marked) return which + ", which was not marked, changed";
    if (!ConvertedFrom(document.stored, now)) return which + " changed, and not as a conversion would";
    document.converted = now;
    AddConversionLines(document.stored, now);
  }
  if (writes > 1) return which + " was written " + std::to_string(writes) + " times";
  if (writes == 1 && document.converted.empty()) return which + " was written back without being converted";
  return std::nullopt;
}

std::optional<std::string> DocumentModel::CheckWritten(const std::function<std::string(int)>& record,
                                                       const std::vector<int>& written, bool all) {
  std::vector<std::size_t> toCheck;
  for (std::size_t i = writesSeen_; i < written.size(); ++i) {
    const auto found = byRecord_.find(written[i]);
    if (found == byRecord_.end()) return "record " + std::to_string(written[i]) + " of table 44 written, not stored";
    ++writes_[written[i]];
    toCheck.push_back(found->second);
  }
  writesSeen_ = written.size();
  if (all) {
    toCheck.clear();
    for (std::size_t i = 0; i < documents_.size(); ++i) toCheck.push_back(i);
  }
  for (const std::size_t index : toCheck) {
    StoredDocument& document = documents_[index];
    if (auto failure = CheckOne(document, record(document.record))) return failure;
  }
  return std::nullopt;
}

std::optional<std::string> DocumentModel::FirstWaiting(std::size_t due) const {
  for (std::size_t i = 0; i < due && i < documents_.size(); ++i) {
    const StoredDocument& document = documents_[i];
    if (document.marked && document.converted.empty()) return document.number;
  }
  return std::nullopt;
}

int DocumentModel::Converted() const {
  int converted = 0;
  for (const StoredDocument& document : documents_) converted += !document.converted.empty();
  return converted;
}

namespace {

const char* const kSaveBoxes[] = {
    "Błąd zapisu konfiguracji!\nPoprzednia konfiguracja została zachowana.",
    "Błąd zapisu konfiguracji!\nNie udało się przywrócić poprzedniej konfiguracji!",
    "Błąd zapisu konfiguracji!\nPoprzednią konfigurację zapisano ponownie, ale nie można tego sprawdzić.",
    "Nie można sprawdzić zapisu konfiguracji!\n"
    "Plik mógł nie zostać zapisany: otwórz konfigurację ponownie, aby zobaczyć, co zawiera.",
    "Błąd zapisu konfiguracji!\nPoprzedniej konfiguracji nie udało się odczytać, nie została zachowana!",
    "Błąd zapisu konfiguracji!\nNie można odczytać wcześniejszej konfiguracji: jeśli była, nie została zachowana!",
    "Nie można otworzyć pliku konfiguracji do zapisu!",
};

bool IsPrefix(const std::string& part, const std::string& whole) { return whole.compare(0, part.size(), part) == 0; }

}  // namespace

bool IsSaveBox(const std::string& text) {
  for (const char* box : kSaveBoxes) {
    if (text == Mazovia(box)) return true;
  }
  return false;
}

std::string JudgeSave(const SavedChoice& save, const std::optional<std::string>& now,
                      const std::optional<std::string>& lastSaveBox) {
  const std::string file = now.value_or("");
  const std::string old = save.old.value_or("");
  const std::string held = " (komis.cfg holds " + std::to_string(file.size()) + " bytes)";
  if (!lastSaveBox) return file == save.chosen ? "" : "an OK without a warning did not leave the flags chosen" + held;
  const std::string& box = *lastSaveBox;
  bool agrees = false;
  if (box == Mazovia(kSaveBoxes[0]) || box == Mazovia(kSaveBoxes[6])) agrees = file == old;
  if (box == Mazovia(kSaveBoxes[1])) agrees = !save.old || file != old;
  if (box == Mazovia(kSaveBoxes[2])) agrees = IsPrefix(file, old);
  if (box == Mazovia(kSaveBoxes[3])) agrees = IsPrefix(file, save.chosen);
  if (box == Mazovia(kSaveBoxes[4]) || box == Mazovia(kSaveBoxes[5])) agrees = file.empty();
  return agrees ? "" : "the warning after a save says what komis.cfg does not hold" + held;
}

bool IsSaveWarningInJournal(const std::string& utf8) {
  for (std::string box : kSaveBoxes) {
    std::replace(box.begin(), box.end(), '\n', ' ');
    if (utf8 == box) return true;
  }
  return false;
}

std::string JournalLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = kw::kColumnEvent; i < fields.size(); ++i) line += (line.empty() ? "" : "|") + fields[i];
  return line;
}

std::string WarehouseList(const std::string& flags) {
  std::string list;
  for (std::size_t warehouse = 0; 2 * warehouse + 1 < flags.size(); ++warehouse) {
    if (flags[2 * warehouse] || flags[2 * warehouse + 1]) list += (list.empty() ? "" : ", ") + std::to_string(warehouse);
  }
  return list;
}

std::string IdentityText(int32_t link) { return link ? std::to_string(link) : ""; }

std::vector<std::string> JournalFieldsOf(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::string JournalAmount(double amount) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", amount);
  std::string written = text;
  for (char& c : written) c = c == '.' ? ',' : c;
  return written == "-0,00" ? "0,00" : written;
}

}  // namespace kwtest
