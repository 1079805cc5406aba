#include "host_walk.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "module_heap_guard.h"
#include "sim_dialog_base.h"
#include "sim_documents.h"
#include "sim_files.h"
#include "sim_installation.h"
#include "sim_jpk_register.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"

namespace kwtest {

namespace {

constexpr int kTables[] = {35, 44, 45, 400};

int currentStep = -1;
const char* currentAction = "start";

std::string FlagBytes(const std::vector<int16_t>& flags) {
  std::string bytes(kConfigSize, '\0');
  std::memcpy(bytes.data(), flags.data(), std::min<std::size_t>(flags.size() * 2, kConfigSize));
  return bytes;
}

}  // namespace

int HostWalk::CurrentStep() { return currentStep; }
const char* HostWalk::CurrentAction() { return currentAction; }
void HostWalk::Doing(const char* action) { currentAction = action; }

HostWalk::HostWalk(uint32_t seed)
    : random_(seed),
      host_(hostsim::Host::Get()),
      shop_(host_),
      commands_(host_.Use<hostsim::SimCommands>()),
      tables_(host_.Use<hostsim::SimTables>()),
      files_(host_.Use<hostsim::SimFiles>()),
      messages_(host_.Use<hostsim::SimMessages>()),
      dialog_(host_.Use<hostsim::SimConfigDialog>()),
      dialogBase_(host_.Use<hostsim::SimDialogBase>()),
      documents_(host_.Use<hostsim::SimDocuments>()),
      jpk_(host_.Use<hostsim::SimJpkRegister>()) {
  currentStep = -1;
  currentAction = "start";
  trace_ = std::getenv("KW_WALK_TRACE") != nullptr;
  StartSlad();
  shop_.AddContractors();
  config_ = KomisCfg({{3, 1}});
  files_.Write("komis.cfg", *config_);
  objectFlags_.assign(kConfigSize, '\0');
  // Every configuration dialog that ends: what the user confirmed, and what
  // komis.cfg held before the module saves it.
  dialog_.AtEnd([this](const hostsim::DialogRun& run) {
    choices_.push_back({run.endCode == hostsim::kDialogOk, FlagBytes(run.flagsAtEnd), files_.Read("komis.cfg"),
                        FlagBytes(run.flagsBefore), messages_.Shown().size()});
  });
}

std::optional<std::string> HostWalk::Run(int steps) {
  if (!module_.Load()) return "the module did not load";
  hostsim::ModuleHeapGuard::Install(module_.handle());
  if (module_.Install(hostsim::SimInstallation::InstallCallback(), nullptr) != 0 || module_.Register(0) != 0) {
    return "the module did not install and register";
  }
  AddRegisterEntries();
  for (const int table : kRecordTables) inHand_[table] = RecordInBuffer(table);
  Check();
  for (currentStep = 0; currentStep < steps && !failure_; ++currentStep) {
    StartStep();
    TakeStep();
    if (trace_) std::fprintf(stderr, "step %d: %s\n", currentStep, currentAction);
    host_.Interrupt(0, {});
    hostsim::SimCommands::AtOwnClose(nullptr);
    hostsim::SimCommands::AtOwnHandler(nullptr);
    jpk_.AtPreviousHandler(nullptr);
    files_.ClearFailures();
    jpk_.ClearDeletionFailures();
    Check();
  }
  if (!failure_) Finish();
  std::printf("walked %d steps: %zu documents stored, %d of them marked, %d converted; %zu register entries deleted\n",
              currentStep, model_.Count(),
              static_cast<int>(std::count_if(model_.Documents().begin(), model_.Documents().end(),
                                             [](const StoredDocument& d) { return d.marked; })),
              model_.Converted(), jpk_.Deleted().size());
  return failure_;
}

void HostWalk::StartStep() {
  host_.ClearCalls();
  boxesBefore_ = messages_.Shown().size();
  choices_.clear();
  reentered_ = false;
  innerEndConverts_ = false;
  fatesUnsure_ = false;
  dialogSettled_ = false;
  mustConvert_ = false;
  jpkPassed_ = false;
  readsRefused_ = false;
  writesFail_ = false;
  acceptanceRaised_ = false;
  strayAcceptance_ = false;
  HostScreens();
}

// The user's last dialog ends with every table and komis.cfg back: every
// document of consigned goods must then be converted, and nothing of the
// module may be left alive.
void HostWalk::Finish() {
  currentAction = "the end: everything back, the last dialog ended";
  StartStep();
  for (const auto& [table, until] : hiddenUntil_) tables_.Hide(table, false);
  hiddenUntil_.clear();
  const bool wasOpen = dialogOpen_ && !objectsUnsure_;
  if (!wasOpen) Raise(hostsim::kDocumentDialogEvent, 0x4151, -2);
  Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 2);
  mustConvert_ = true;
  convertDue_ = model_.Count();
  Check();
  if (!failure_) {
    if (auto failure = model_.CheckWritten([this](int r) { return tables_.Record(44, r); }, tables_.WrittenRecords(44),
                                           true)) {
      Fail(*failure);
    }
    CheckJournal();
  }
  if (!failure_) FinalRegisterPass();
  if (!failure_) {
    if (auto disagreement = CompareReport()) Fail(*disagreement);
  }
}

// The host's own screens make records current (a contractor, an item line, a
// register entry) now and then, and it may walk item sets through the items
// table's buffer.
void HostWalk::HostScreens() {
  documents_.ItemsThroughBuffer(Chance(50));
  if (!Chance(30)) return;
  for (const int table : {35, 45, 400}) {
    const int count = tables_.RecordCount(table);
    if (count == 0 || Chance(50)) continue;
    tables_.MakeCurrent(table, Pick(count));
    inHand_[table] = RecordInBuffer(table);
  }
}

void HostWalk::HostLoads(int table, const std::string& record) {
  std::memcpy(tables_.RecordBuffer(table), record.data(), record.size());
  inHand_[table] = record;
}

std::string HostWalk::RecordInBuffer(int table) const {
  return std::string(reinterpret_cast<const char*>(tables_.RecordBuffer(table)), tables_.Find(table)->RecordLength);
}

void HostWalk::Fail(const std::string& what) {
  if (trace_ && !failure_) {
    for (const std::string& call : host_.Trace()) std::fprintf(stderr, "    %s\n", call.c_str());
  }
  if (!failure_) failure_ = "step " + std::to_string(currentStep) + " (" + currentAction + "): " + what;
}

void HostWalk::TakeStep() {
  // What was taken away comes back after a while.
  for (auto it = hiddenUntil_.begin(); it != hiddenUntil_.end();) {
    if (it->second > currentStep) {
      ++it;
      continue;
    }
    tables_.Hide(it->first, false);
    it = hiddenUntil_.erase(it);
  }
  if (putAside_ && configBackAt_ <= currentStep) {
    currentAction = "komis.cfg brought back";
    if (!files_.Read("komis.cfg")) {
      files_.Write("komis.cfg", *putAside_);
      config_ = putAside_;
    }
    putAside_.reset();
    return;
  }

  const int roll = Pick(100);
  if (roll < 10) OpenDocumentDialog();
  else if (roll < 26) EnterDocument(true);
  else if (roll < 30) EnterDocument(false);
  else if (roll < 38) CloseDocumentDialog();
  else if (roll < 42) SaveAndNew();
  else if (roll < 46) StrayDocumentEvent();
  else if (roll < 55) RunCommand(Chance(60));
  else if (roll < 62) JpkEvent();
  else if (roll < 66) AddRegisterEntries();
  else if (roll < 71) HideTable();
  else if (roll < 74) TakeConfigAway();
  else if (roll < 81) FailWrites();
  else Reenter();
}

namespace {

std::string Describe(const hostsim::HostEventCall& call) {
  return "event " + std::to_string(call.event) + " (code " + std::to_string(call.code) + ", phase " +
         std::to_string(call.phase) + ")";
}

std::string Describe(std::vector<hostsim::HostEventCall> calls) {
  std::string text;
  for (const hostsim::HostEventCall& call : calls) text += (text.empty() ? "" : ", ") + Describe(call);
  return "[" + text + "]";
}

std::vector<hostsim::HostEventCall> Sorted(std::vector<hostsim::HostEventCall> calls) {
  std::sort(calls.begin(), calls.end(), [](const auto& a, const auto& b) {
    return std::tie(a.event, a.code, a.phase) < std::tie(b.event, b.code, b.phase);
  });
  return calls;
}

}  // namespace

void HostWalk::Raise(int event, int code, int phase) {
  const auto& own = hostsim::SimCommands::OwnHandlerCalls();
  const std::size_t ownBefore = own.size();
  const std::size_t raisedBefore = raised_.size();
  raised_.push_back({event, code, phase});
  // The dialog the host has open follows the order in which the events start.
  const bool dialogEvent = event == hostsim::kDocumentDialogEvent && (phase == -2 || phase == 2);
  bool userEnd = false;
  if (dialogEvent) {
    if (phase == -2) {
      objectFlags_.assign(kConfigSize, '\0');  // a new object holds no flags yet
      objectFlagsUnsure_ = false;
      habit_ = static_cast<Habit>(Pick(4));
    }
    // The user ends a dialog whose object is known, outside any other event,
    // with the tables it needs: what was marked and stored by the time the
    // end is handled must be converted. A document the host stores later
    // (after the frame closed, or in the next dialog) waits for the next end.
    userEnd = phase == 2 && (raiseDepth_ == 0 || endByHost_) && dialogOpen_ && !objectsUnsure_ && !reentered_ && !Hidden(35) &&
              !Hidden(44) && !Hidden(45);
    dialogOpen_ = phase == -2;
    if (raiseDepth_ == 0) dialogSettled_ = true;
  }
  if (event == hostsim::kAcceptanceEvent) acceptanceRaised_ = true;
  if (trace_) std::fprintf(stderr, "%*sevent %d (code 0x%04X, phase %d)\n", 2 * raiseDepth_ + 2, "", event, code, phase);
  ++raiseDepth_;
  commands_.Raise(event, code, phase);
  --raiseDepth_;
  if (userEnd) {
    mustConvert_ = true;
    convertDue_ = model_.Count();
  }
  // This event and those raised from inside it, each handed on once, as raised.
  const std::vector<hostsim::HostEventCall> expected(raised_.begin() + raisedBefore, raised_.end());
  const std::vector<hostsim::HostEventCall> got(own.begin() + ownBefore, own.end());
  const auto same = [](const auto& a, const auto& b) {
    return a.event == b.event && a.code == b.code && a.phase == b.phase;
  };
  const std::vector<hostsim::HostEventCall> want = Sorted(expected), have = Sorted(got);
  if (!std::equal(want.begin(), want.end(), have.begin(), have.end(), same)) {
    Fail(Describe(raised_[raisedBefore]) + ": the host's own handlers got " + Describe(got) + " for " +
         Describe(expected));
  }
}

void HostWalk::RunCommand(bool ok, bool eventsAllowed) {
  if (raiseDepth_ == 0) currentAction = "the configuration command";
  std::map<int, int16_t> edits;
  for (int i = Pick(4); i > 0; --i) {
    edits[Pick(6)] = static_cast<int16_t>(Chance(90) ? Pick(2) : Pick(0x10000));
  }
  using Answer = hostsim::SimFiles::WriteAnswer;
  static constexpr Answer kAnswers[] = {Answer::Items, Answer::Zero, Answer::Bytes};
  files_.AnswerWrites(kAnswers[Pick(3)]);
  dialog_.MarkInList(edits);
  std::vector<hostsim::DialogStep> steps;
  if (Chance(20)) steps.push_back({0x430E, 1});  // F2: the list again, left as it is
  dialog_.Script(steps, ok ? hostsim::kDialogOk : hostsim::kDialogCancel);
  const bool eventsInside = Chance(40) && eventsAllowed;
  if (eventsInside || failReadBeforeSave_) {
    dialog_.WhileOpen([this, eventsInside] {
      if (eventsInside) EventsInsideCommand();
      if (failReadBeforeSave_) files_.FailRead(1);  // the next read is the one before the save
    });
  }
  commands_.Pick(kConfigCommandId);
}

void HostWalk::EventsInsideCommand() {
  for (int i = 1 + Pick(3); i > 0 && !failure_; --i) {
    switch (Pick(4)) {
      case 0: OpenDocumentDialog(); break;
      case 1: CloseDocumentDialog(); break;
      case 2: EnterDocument(true); break;
      default: Raise(hostsim::kDocumentDialogEvent, 0x3D00, 1); break;
    }
  }
  currentAction = "the configuration command, with document events while its dialog was open";
}

void HostWalk::JpkEvent() {
  currentAction = "an event on the JPK register";
  // The host refuses a deletion, or reports one it did not carry out.
  for (const int entry : jpk_.List()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, entry - 1).data());
    if (record->JpkContrNumber != hostsim::kTmoNumber || !Chance(10)) continue;
    if (Chance(50)) jpk_.FailDeletionOf(entry);
    else jpk_.ClaimDeletionOf(entry);
  }
  RaiseJpk(Chance(80) ? hostsim::kJpkCleanupEvent : 200 + Pick(60));
}

void HostWalk::RaiseJpk(int code) {
  const hostsim::TableEventArgs args = jpk_.EventArgs(code);
  const std::size_t before = jpk_.PreviousCalls().size();
  const int raisedBefore = jpkRaised_++;
  if (code == hostsim::kJpkCleanupEvent) jpkPassed_ = true;
  jpk_.RaiseEvent(args);
  const auto& calls = jpk_.PreviousCalls();
  // This event and those raised from inside it.
  const std::size_t expected = static_cast<std::size_t>(jpkRaised_ - raisedBefore);
  if (calls.size() != before + expected) {
    Fail("event " + std::to_string(code) + " on table 400 reached the host's handler " +
         std::to_string(calls.size() - before) + " times for " + std::to_string(expected) + " raised");
  } else if (expected == 1 && calls.back().args != args) {
    Fail("event " + std::to_string(code) + " on table 400 reached the host's handler with other arguments");
  }
}

void HostWalk::AddRegisterEntries() {
  currentAction = "register entries added";
  std::vector<int> list = jpk_.List();
  for (int i = 1 + Pick(5); i > 0; --i) {
    std::string number = "FS " + std::to_string(100000 + ++entriesAdded_) + "/12/2026";
    if (Chance(40)) {
      // The register built after a conversion holds the document converted.
      for (const StoredDocument& document : model_.Documents()) {
        const char* const at = document.converted.c_str() + offsetof(kw::DocRecord, DocNumber);
        const std::string converted(at, strnlen(at, sizeof kw::DocRecord::DocNumber));
        if (!document.converted.empty() && !tmoEntries_.count(converted) && Chance(50)) number = converted;
      }
      tmoEntries_.insert(number);
      list.push_back(jpk_.AddEntry(number, hostsim::kTmoNumber, "Towary Mazowieckie Obce sp. z o.o.",
                                   "ul. Łąkowa 5, Kraków"));
    } else {
      list.push_back(jpk_.AddEntry(number, 17, "Jan Kowalski", "ul. Polna 1, Radom"));
      otherEntries_.push_back(list.back());
    }
  }
  jpk_.SetList(list);
}

void HostWalk::HideTable() {
  const int table = kTables[Pick(4)];
  currentAction = "a table taken away";
  tables_.Hide(table, true);
  hiddenUntil_[table] = currentStep + 1 + Pick(20);
}

void HostWalk::TakeConfigAway() {
  currentAction = "komis.cfg taken away";
  if (putAside_ || !config_) return;
  putAside_ = config_;
  files_.Delete("komis.cfg");
  config_.reset();
  configBackAt_ = currentStep + 1 + Pick(30);
}

// Sets up how the host fails the next save; answers what, for the report.
// `countedRead`: a read counted from now fails, so that no acceptance inside
// the dialog may take it.
std::string HostWalk::FailTheNextSave(bool& countedRead) {
  switch (Pick(7)) {
    case 0:
      files_.FailWrite(1, kConfigSize / 2);  // cut short midway; putting the old bytes back works
      return "its first write cut short";
    case 1:
      files_.FailWrites(true);
      return "every write failing";
    case 2:
      files_.FailNextClose();  // the new flags lost at the close
      return "its first close losing the data";
    case 3:
      files_.FailEveryClose(true);
      return "every close losing the data";
    case 4:
      // The old file cannot be read before the save, and the write is cut short.
      failReadBeforeSave_ = true;
      files_.FailWrite(1, kConfigSize / 3);
      return "the read before the save failing, its first write cut short";
    case 5:
      // A virus scanner holds the file: no read of it opens, the read back
      // after the write neither.
      files_.RefuseOpen("komis.cfg", "rb");
      readsRefused_ = true;
      return "komis.cfg refused for reading";
    default:
      // The read back reads nothing (the save's first read is its third).
      files_.FailRead(4 + Pick(2));
      countedRead = true;
      return "a read after the write reading nothing";
  }
}

void HostWalk::FailWrites() {
  bool countedRead = false;
  const std::string what = FailTheNextSave(countedRead);
  writesFail_ = !countedRead && !readsRefused_;
  RunCommand(true, !countedRead);
  failReadBeforeSave_ = false;
  failingAction_ = "the configuration command, " + what;
  currentAction = failingAction_.c_str();
}

}  // namespace kwtest
