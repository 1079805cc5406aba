// What every step of the walk must leave: the host unharmed, the module's
// objects as the dialogs open now need them, the documents as the model says,
// komis.cfg as the user confirmed it or as the user was told, and the
// register without TMO's entries after a pass that reported nothing.
#include <set>

#include "host_walk.h"
#include "module_heap_guard.h"
#include "sim_config_dialog.h"
#include "sim_dialog_base.h"
#include "sim_files.h"
#include "sim_jpk_register.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"
#include "text_codec.h"

namespace kwtest {

void HostWalk::Check() {
  CheckHostState();
  CheckObjects();
  CheckRecordsInHand();
  if (tables_.RecordCount(44) != static_cast<int>(model_.Count())) {
    Fail("table 44 holds " + std::to_string(tables_.RecordCount(44)) + " documents, " +
         std::to_string(model_.Count()) + " were stored");
  }
  if (auto failure = model_.CheckWritten([this](int r) { return tables_.Record(44, r); },
                                         tables_.WrittenRecords(44), false)) {
    Fail(*failure);
  }
  if (mustConvert_) {
    if (auto waiting = model_.FirstWaiting(convertDue_)) Fail("document " + *waiting + " is still marked after its dialog's end");
  }
  CheckJournal();
  CheckConfig();
  CheckRegister();
  CheckSlad();
}

// The host's records in hand are in its buffers as it loaded them, apart
// from the marks of an acceptance; after an acceptance table 35 holds the
// contractor the host assigned.
void HostWalk::CheckRecordsInHand() {
  for (const int table : kRecordTables) {
    const std::string now = RecordInBuffer(table);
    if (now != inHand_[table] && !(table == 35 && acceptanceRaised_)) {
      Fail("the record the host has in hand in table " + std::to_string(table) + " is not the one it loaded");
    }
    inHand_[table] = now;
  }
}

namespace {

// The line of a register entry of TMO as the journal must give it.
std::string TmoEntryLine(const char* event, const std::string& number) {
  return std::string(event) + "|" + number + "||" + std::to_string(hostsim::kTmoNumber) +
         "|Towary Mazowieckie Obce sp. z o.o. / ul. Łąkowa 5, Kraków|||";
}

}  // namespace

// Every line of the journal since the last check against what the step did:
// each conversion and each register entry deleted line for line, as the
// model writes them; the marks of each document stored marked; entries left
// only of TMO's; a save's line for a choice confirmed, saying what was marked
// before no more than the file or the dialog's start showed.
void HostWalk::CheckJournal() {
  std::multiset<std::string> written, expected;
  std::vector<const SavedChoice*> unsaved;
  for (const SavedChoice& choice : choices_) {
    if (choice.ok) unsaved.push_back(&choice);
  }
  const std::size_t confirmed = unsaved.size();
  const auto& lines = files_.Appended(kw::kJournalFile);
  for (; journalSeen_ < lines.size() && !failure_; ++journalSeen_) {
    const std::vector<std::string> fields = JournalFieldsOf(hostsim::Windows1250ToUtf8(lines[journalSeen_]));
    if (fields.size() != kw::kJournalColumns) return Fail("a line of the journal without its ten fields: " + lines[journalSeen_]);
    const std::string wrong = JudgeLine(fields, written, unsaved);
    if (!wrong.empty()) Fail("the journal's line " + JournalLine(fields) + ": " + wrong);
  }
  if (confirmed > 0 && unsaved.size() == confirmed) Fail("a choice confirmed, and no line of its save in the journal");
  for (const ExpectedMark& mark : std::exchange(marks_, {})) Fail("document stored marked without its line " + mark.line);
  for (const std::string& line : model_.TakeNewlyConverted()) expected.insert(line);
  for (; deletedSeen_ < jpk_.Deleted().size(); ++deletedSeen_) {
    const auto* entry = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, jpk_.Deleted()[deletedSeen_] - 1).data());
    expected.insert(TmoEntryLine("USUNIETO_Z_JPK", entry->JpkDocNumber));
  }
  if (written == expected) return;
  std::string what;
  for (const std::string& line : expected) {
    if (!written.count(line)) what += " [" + line + ": no line]";
  }
  for (const std::string& line : written) {
    if (!expected.count(line)) what += " [" + line + ": a line, but no such change]";
  }
  Fail("the journal does not agree with the changes made:" + (what.empty() ? std::string(" (repeated lines)") : what));
}

// A line the walk judges on its own (marks, entries left, saves): what is
// wrong with it, or nothing; the others go into `written`, to be compared
// with the changes made.
std::string HostWalk::JudgeLine(const std::vector<std::string>& fields, std::multiset<std::string>& written,
                                std::vector<const SavedChoice*>& unsaved) {
  const auto is = [&](kw::JournalEvent event) { return fields[kw::kColumnEvent] == kw::JournalEventWord(event); };
  const std::string& number = fields[kw::kColumnDocument];
  if (is(kw::JournalEvent::Marked)) return JudgeMark(fields);
  if (is(kw::JournalEvent::EntryLeft)) {
    const bool tmo = tmoEntries_.count(number) && JournalLine(fields) == TmoEntryLine("POZOSTAWIONO_W_JPK", number);
    return tmo ? "" : "not an entry of TMO";
  }
  if (is(kw::JournalEvent::ChoiceSaved) || is(kw::JournalEvent::ChoiceNotSaved)) return JudgeSaveLine(fields, unsaved);
  written.insert(JournalLine(fields));
  return "";
}

// An OZNACZONO line: that of a document stored marked in this step, or of
// the document in hand at an acceptance of the host's that stores nothing.
std::string HostWalk::JudgeMark(std::vector<std::string> fields) {
  const std::string line = JournalLine(fields);
  fields[kw::kColumnDescription].clear();
  const std::string withoutWarehouses = JournalLine(fields);
  for (auto mark = marks_.begin(); mark != marks_.end(); ++mark) {
    if (mark->line == line || (mark->anyWarehouses && mark->withoutWarehouses == withoutWarehouses)) {
      marks_.erase(mark);
      return "";
    }
  }
  if (!strayAcceptance_) return "no document was stored marked so";
  strayMarks_.insert(fields[kw::kColumnDocument]);
  return "";
}

// A KONFIGURACJA or BLAD_KONFIGURACJI line: a choice confirmed in this step
// (po), what komis.cfg held at its end, what the dialog started with or
// "nieznane" (przed), and the warning of the save or none.
std::string HostWalk::JudgeSaveLine(const std::vector<std::string>& fields,
                                    std::vector<const SavedChoice*>& unsaved) const {
  const bool warned = fields[kw::kColumnEvent] == kw::JournalEventWord(kw::JournalEvent::ChoiceNotSaved);
  if (warned != IsSaveWarningInJournal(fields[kw::kColumnDescription])) return "not the warning of the save";
  const std::string& before = fields[kw::kColumnBefore];
  for (auto choice = unsaved.begin(); choice != unsaved.end(); ++choice) {
    const SavedChoice& c = **choice;
    const bool oldWhole = c.old && c.old->size() >= kConfigSize;
    if (WarehouseList(c.chosen) != fields[kw::kColumnAfter]) continue;
    if (before != "nieznane" && before != WarehouseList(c.opened) && !(oldWhole && before == WarehouseList(*c.old))) {
      return "przed is neither what komis.cfg held nor what the dialog showed at its start";
    }
    unsaved.erase(choice);
    return "";
  }
  return "no choice confirmed in this step was so";
}
void HostWalk::CheckHostState() {
  const auto& faults = host_.Faults();
  if (faults.size() > faultsSeen_) {
    Fail("the host saw a fault: " + faults[faultsSeen_]);
    faultsSeen_ = faults.size();
  }
  if (hostsim::ModuleHeapGuard::BadReleases() != 0) Fail("the module released a block twice");
  if (messages_.OpenWaitBoxes() != 0) Fail("a wait box stays open");
  if (files_.OpenFiles() != 0) Fail("a file stays open");
  if (tables_.LiveSelections() != 0) Fail("a selection stays unfreed");
  if (tables_.OpenCursors() != 0) Fail("a cursor stays open");
  if (dialog_.LiveThunks() != 0) Fail("a callback thunk stays alive");
  if (dialog_.ModeWord() != 0) Fail("the host's mode word is not as it was");
}

// After an event from inside a host call the dialog open then may be left
// without an object (the host ended it and opened it again in an order the
// walk does not follow inside a call): at most one object until a document
// dialog opens or closes again outside such a step.
void HostWalk::CheckObjects() {
  if (!reentered_ && dialogSettled_) objectsUnsure_ = false;
  const int expectedObjects = dialogOpen_ ? 1 : 0;
  const int objects = dialogBase_.LiveObjects();
  const int blocks = hostsim::ModuleHeapGuard::LiveBlocks();
  if (objectsUnsure_ ? objects > 1 : objects != expectedObjects) {
    Fail(std::to_string(objects) + " dialog objects alive, " + std::to_string(expectedObjects) + " expected");
  }
  if (blocks != objects) {
    Fail(std::to_string(blocks) + " blocks of the module's heap alive for " + std::to_string(objects) +
         " dialog objects");
  }
}

// komis.cfg holds the choice the user confirmed last, or what the warning
// after that save says; without a confirmed choice it is as it was.
void HostWalk::CheckConfig() {
  const std::optional<std::string> now = files_.Read("komis.cfg");
  const SavedChoice* last = nullptr;
  for (const SavedChoice& choice : choices_) {
    if (choice.ok) last = &choice;
  }
  if (!last) {
    if (now.value_or("") != config_.value_or("")) {
      Fail("komis.cfg changed (" + std::to_string(now ? now->size() : 0) + " bytes) though no choice was confirmed");
    }
    config_ = now;
    return;
  }
  std::optional<std::string> lastSaveBox;
  const auto& shown = messages_.Shown();
  for (std::size_t i = last->boxesBefore; i < shown.size(); ++i) {
    if (IsSaveBox(shown[i].text)) lastSaveBox = shown[i].text;
  }
  // Nothing made a write or a close fail: the flags chosen reached the disk,
  // whatever could be read back, and no warning may claim otherwise.
  std::string wrong = JudgeSave(*last, now, lastSaveBox);
  if (wrong.empty() && !writesFail_ && now != last->chosen) {
    wrong = "a save whose writes went through did not leave the flags chosen (komis.cfg holds " +
            std::to_string(now ? now->size() : 0) + " bytes)";
  }
  if (!wrong.empty()) {
    std::string runs;
    for (const SavedChoice& choice : choices_) runs += choice.ok ? (&choice == last ? " OK(last)" : " OK") : " Esc";
    Fail(wrong + "; dialogs ended:" + runs);
  }
  config_ = now;
}

// No entry of another contractor ever goes; after a pass on the register that
// warned of nothing (no deletion failed, the tables were there, TMO was
// found), no entry of TMO is left.
void HostWalk::CheckRegister() {
  std::vector<int> others;
  bool tmoLeft = false;
  for (const int entry : jpk_.List()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, entry - 1).data());
    if (record->JpkContrNumber != hostsim::kTmoNumber) others.push_back(entry);
    else tmoLeft = true;
  }
  if (others != otherEntries_) Fail("the register lost an entry of another contractor");
  if (!jpkPassed_ || !tmoLeft) return;
  const auto& shown = messages_.Shown();
  for (std::size_t i = boxesBefore_; i < shown.size(); ++i) {
    if (shown[i].title == "Uwaga") return;
  }
  std::string boxes;
  for (std::size_t i = boxesBefore_; i < shown.size(); ++i) boxes += " [" + shown[i].title + "]";
  Fail("an entry of TMO is left after a pass on the register that reported nothing; boxes:" + boxes);
}

}  // namespace kwtest
