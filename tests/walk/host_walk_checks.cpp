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

// Every document converted and every register entry deleted since the last
// check has its line in the journal (the number and, for a document, its
// amount), and no other conversion or deletion has one.
void HostWalk::CheckJournal() {
  std::multiset<std::string> written, expected;
  const auto& lines = files_.Appended(kJournalFile);
  for (; journalSeen_ < lines.size(); ++journalSeen_) {
    const std::vector<std::string> fields = JournalFieldsOf(lines[journalSeen_]);
    if (fields.size() != 9) return Fail("a line of the journal without its nine fields: " + lines[journalSeen_]);
    if (fields[2] == "ZAMIENIONO") written.insert("converted " + fields[3] + "|" + fields[4]);
    if (fields[2] == "USUNIETO_Z_JPK") written.insert("removed " + fields[3]);
  }
  for (const std::string& converted : model_.TakeNewlyConverted()) expected.insert("converted " + converted);
  for (; deletedSeen_ < jpk_.Deleted().size(); ++deletedSeen_) {
    const auto* entry = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, jpk_.Deleted()[deletedSeen_] - 1).data());
    expected.insert("removed " + std::string(entry->JpkDocNumber));
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
