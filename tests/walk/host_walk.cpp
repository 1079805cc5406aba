#include "host_walk.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <cstdlib>
#include <cstring>

#include "module_heap_guard.h"
#include "sim_commands.h"
#include "sim_config_dialog.h"
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

constexpr uint16_t kCommandId = 0x7939;
constexpr int kDialogCancel = 0x5002;
constexpr int kAcceptCode = 0x4009;
constexpr int kConfigSize = 202;
constexpr int kTables[] = {35, 44, 45, 400};
const char* const kMarkNote = "Wtyczka Kalwestrowka";

int currentStep = -1;
const char* currentAction = "start";

const kw::DocRecord& AsDocument(const std::string& bytes) {
  return *reinterpret_cast<const kw::DocRecord*>(bytes.data());
}

bool SameField(const char* a, const char* b, std::size_t size) { return std::memcmp(a, b, size) == 0; }

}  // namespace

int HostWalk::CurrentStep() { return currentStep; }
const char* HostWalk::CurrentAction() { return currentAction; }

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
      jpk_(host_.Use<hostsim::SimJpkRegister>()) {
  currentStep = -1;
  currentAction = "start";
  host_.KeepJournal(false);
  trace_ = std::getenv("KW_WALK_TRACE") != nullptr;
  shop_.AddContractors();
  config_ = KomisCfg({{3, 1}});
  files_.Write("komis.cfg", *config_);
}

std::optional<std::string> HostWalk::Run(int steps) {
  if (!module_.Load()) return "the module did not load";
  hostsim::ModuleHeapGuard::Install(module_.handle());
  if (module_.Install(hostsim::SimInstallation::InstallCallback(), nullptr) != 0 || module_.Register(0) != 0) {
    return "the module did not install and register";
  }
  AddRegisterEntries();
  Check();
  for (currentStep = 0; currentStep < steps && !failure_; ++currentStep) {
    boxesBefore_ = messages_.Shown().size();
    newConfig_.reset();
    configMayBeLost_ = false;
    saveMustHold_ = false;
    reentered_ = false;
    dialogSettled_ = false;
    documentsTouched_ = false;
    TakeStep();
    if (trace_) std::fprintf(stderr, "step %d: %s\n", currentStep, currentAction);
    host_.Interrupt(0, {});
    files_.ClearFailures();
    hostsim::SimCommands::AtOwnClose(nullptr);
    Check();
  }
  if (!failure_) {
    // The last dialog ends: nothing of the module may be left.
    currentAction = "the end";
    reentered_ = false;
    dialogSettled_ = false;
    Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 2);
    Check();
  }
  int marked = 0, converted = 0;
  for (const StoredDocument& stored : documents_) {
    marked += stored.marked;
    converted += stored.converted;
  }
  std::printf("walked %d steps: %zu documents stored, %d of them marked, %d converted; %zu register entries deleted\n",
              currentStep, documents_.size(), marked, converted, jpk_.Deleted().size());
  return failure_;
}

void HostWalk::Fail(const std::string& what) {
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
  if (roll < 11) OpenDocumentDialog();
  else if (roll < 29) EnterDocument(true);
  else if (roll < 34) EnterDocument(false);
  else if (roll < 42) CloseDocumentDialog();
  else if (roll < 45) SaveAndNew();
  else if (roll < 51) StrayDocumentEvent();
  else if (roll < 61) RunCommand(Chance(60));
  else if (roll < 68) JpkEvent();
  else if (roll < 72) AddRegisterEntries();
  else if (roll < 78) HideTable();
  else if (roll < 82) TakeConfigAway();
  else if (roll < 90) FailWrites();
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
  if (dialogEvent) {
    dialogOpen_ = phase == -2;
    documentsTouched_ = documentsTouched_ || phase == 2;
    if (raiseDepth_ == 0) dialogSettled_ = true;
  }
  ++raiseDepth_;
  commands_.Raise(event, code, phase);
  --raiseDepth_;
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

void HostWalk::OpenDocumentDialog() {
  currentAction = dialogOpen_ ? "a document dialog opened over an open one" : "a document dialog opened";
  Raise(hostsim::kDocumentDialogEvent, 0x4151, -2);
}

void HostWalk::CloseDocumentDialog() {
  currentAction = dialogOpen_ ? "the document dialog closed" : "a document dialog closed that never opened";
  Raise(hostsim::kDocumentDialogEvent, Chance(80) ? hostsim::kDialogOk : kDialogCancel, 2);
}

void HostWalk::EnterDocument(bool accept) {
  currentAction = accept ? "a document accepted" : "a document cancelled";
  auto& documents = host_.Use<hostsim::SimDocuments>();
  kw::DocRecord document{};
  const int32_t link = nextLinkId_++;
  const std::string number = "FS " + std::to_string(link) + "/12/2026";
  std::strncpy(document.DocNumber, number.c_str(), sizeof document.DocNumber - 1);
  std::strncpy(document.DocAltNumber, number.c_str(), sizeof document.DocAltNumber - 1);
  document.TotalAmount = 10.0 + Pick(1000);
  document.SettledAmount = document.TotalAmount;
  document.BalanceAmount = document.TotalAmount;
  document.DocLinkId = link;
  std::memcpy(tables_.RecordBuffer(44), &document, sizeof document);
  documents.SetDocKind(Chance(80) ? hostsim::kSalesDocumentKind : Pick(40));
  documents.ClearItemLines();
  const int lines = Pick(5);
  for (int i = 0; i < lines; ++i) {
    static constexpr int kWarehouses[] = {1, 3, 5};
    documents.AddItemLine(kWarehouses[Pick(3)], Chance(90) ? 1 : 0);
    tables_.AddRecord(45, std::string(kw::kItemRecordLength, '\0'), {hostsim::KeyRef(68, link)});
  }
  if (!accept) {
    Raise(hostsim::kDocumentDialogEvent, kDialogCancel, 1);
    if (Chance(50)) Raise(hostsim::kAcceptanceEvent, kDialogCancel, 1);
    return;
  }
  Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 1);
  Raise(hostsim::kAcceptanceEvent, Chance(80) ? hostsim::kDialogOk : kAcceptCode, Chance(80) ? 1 : -1);
  const std::string stored(reinterpret_cast<const char*>(tables_.RecordBuffer(44)), kw::kDocRecordLength);
  const int record = tables_.AddRecord(44, stored, {24});
  documents_.push_back({record, stored, AsDocument(stored).ConversionPending != 0, false});
}

void HostWalk::StrayDocumentEvent() {
  currentAction = "a document event of the host";
  static constexpr int kCodes[] = {0x4151, 0x5001, 0x5002, 0x3D00, 0x4009};
  static constexpr int kPhases[] = {-2, -1, 0, 1, 2};
  const int event = Chance(50) ? hostsim::kDocumentDialogEvent : hostsim::kAcceptanceEvent;
  const int code = Chance(80) ? kCodes[Pick(5)] : Pick(0x10000);
  Raise(event, code, kPhases[Pick(5)]);
}

void HostWalk::RunCommand(bool ok) {
  currentAction = "the configuration command";
  // The dialog starts from what komis.cfg holds: its 202 bytes, or no flag
  // when it is missing or shorter.
  std::string flags = config_ && config_->size() >= kConfigSize ? config_->substr(0, kConfigSize)
                                                                 : std::string(kConfigSize, '\0');
  std::map<int, int16_t> edits;
  for (int i = Pick(4); i > 0; --i) {
    const int warehouse = Pick(6);
    const int16_t value = static_cast<int16_t>(Chance(90) ? Pick(2) : Pick(0x10000));
    edits[warehouse] = value;
  }
  for (const auto& [warehouse, value] : edits) std::memcpy(&flags[2 * warehouse], &value, sizeof value);
  if (ok) {
    newConfig_ = flags;
    saveMustHold_ = true;
  }
  using Answer = hostsim::SimFiles::WriteAnswer;
  static constexpr Answer kAnswers[] = {Answer::Items, Answer::Zero, Answer::Bytes};
  files_.AnswerWrites(kAnswers[Pick(3)]);
  dialog_.MarkInList(edits);
  std::vector<hostsim::DialogStep> steps;
  if (Chance(20)) steps.push_back({0x430E, 1});  // F2: the list again, left as it is
  dialog_.Script(steps, ok ? hostsim::kDialogOk : kDialogCancel);
  const bool eventsInside = Chance(40);
  if (eventsInside || failReadBeforeSave_) {
    dialog_.WhileOpen([this, eventsInside] {
      if (eventsInside) EventsInsideCommand();
      if (failReadBeforeSave_) files_.FailRead(1);  // the next read is the one before the save
    });
  }
  documentsTouched_ = true;
  commands_.Pick(kCommandId);
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
  RaiseJpk(Chance(80) ? hostsim::kJpkCleanupEvent : 200 + Pick(60));
}

void HostWalk::RaiseJpk(int code) {
  const hostsim::TableEventArgs args = jpk_.EventArgs(code);
  const std::size_t before = jpk_.PreviousCalls().size();
  const int raisedBefore = jpkRaised_++;
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
    const std::string number = "FS " + std::to_string(100000 + Pick(900000)) + "/12/2026";
    if (Chance(40)) {
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

void HostWalk::FailWrites() {
  std::string what;
  bool failReadFirst = false;
  switch (Pick(5)) {
    case 0:
      files_.FailWrite(1, kConfigSize / 2);  // cut short midway; putting the old bytes back works
      what = "its first write cut short";
      break;
    case 1:
      files_.FailWrites(true);
      configMayBeLost_ = true;
      what = "every write failing";
      break;
    case 2:
      files_.FailNextClose();  // the new flags lost at the close; the old ones go back
      what = "its first close losing the data";
      break;
    case 3:
      files_.FailEveryClose(true);
      configMayBeLost_ = true;
      what = "every close losing the data";
      break;
    default:
      // The old file cannot be read before the save, and the write is cut short.
      failReadFirst = true;
      files_.FailWrite(1, kConfigSize / 3);
      configMayBeLost_ = true;
      what = "the read before the save failing, its first write cut short";
      break;
  }
  failReadBeforeSave_ = failReadFirst;
  RunCommand(true);
  failReadBeforeSave_ = false;
  saveMustHold_ = false;
  failingAction_ = "the configuration command, " + what;
  currentAction = failingAction_.c_str();
}

void HostWalk::SaveAndNew() {
  currentAction = dialogOpen_ ? "the document dialog closed, the host opening the next one"
                              : "a document dialog closed that never opened, the host opening the next one";
  hostsim::SimCommands::AtOwnClose([this] { Raise(hostsim::kDocumentDialogEvent, 0x4151, -2); });
  Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 2);
  hostsim::SimCommands::AtOwnClose(nullptr);
}

void HostWalk::Reenter() {
  reentered_ = true;
  objectsUnsure_ = true;
  const int inner = Pick(5);
  host_.Interrupt(1 + Pick(40), [this, inner] { InnerEvent(inner); });
  const int outer = Pick(5);
  switch (outer) {
    case 0: OpenDocumentDialog(); break;
    case 1: EnterDocument(true); break;
    case 2: CloseDocumentDialog(); break;
    case 3: RunCommand(Chance(60)); break;
    default: JpkEvent(); break;
  }
  host_.Interrupt(0, {});
  saveMustHold_ = false;
  static const char* const kInner[] = {"a document dialog opening", "the document dialog closing",
                                       "a document accepted", "the configuration command", "event 231"};
  static const char* const kOuter[] = {"a document dialog opened", "a document accepted",
                                       "the document dialog closed", "the configuration command",
                                       "an event on the JPK register"};
  failingAction_ = std::string(kOuter[outer]) + ", with " + kInner[inner] + " from inside a host call";
  currentAction = failingAction_.c_str();
}

void HostWalk::InnerEvent(int which) {
  switch (which) {
    case 0: Raise(hostsim::kDocumentDialogEvent, 0x4151, -2); break;
    case 1: Raise(hostsim::kDocumentDialogEvent, Chance(80) ? hostsim::kDialogOk : kDialogCancel, 2); break;
    case 2: Raise(hostsim::kAcceptanceEvent, hostsim::kDialogOk, 1); break;
    case 3: commands_.Pick(kCommandId); break;  // with whatever the dialog's script holds now
    default: RaiseJpk(hostsim::kJpkCleanupEvent); break;
  }
}

void HostWalk::Check() {
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
  // After an event from inside a host call, the dialog open then may be left
  // without an object: at most one until a document dialog opens or closes
  // again outside such a step.
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
  CheckDocuments();
  // Commands run from inside host calls leave komis.cfg as any of them did:
  // the walk takes it as it is.
  if (reentered_) {
    config_ = files_.Read("komis.cfg");
  } else {
    CheckConfig();
  }
  CheckRegister();
}

void HostWalk::CheckDocuments() {
  if (tables_.RecordCount(44) != static_cast<int>(documents_.size())) {
    Fail("table 44 holds " + std::to_string(tables_.RecordCount(44)) + " documents, " +
         std::to_string(documents_.size()) + " were stored");
    return;
  }
  if (!documentsTouched_) return;
  for (StoredDocument& stored : documents_) {
    const std::string& now = tables_.Record(44, stored.record);
    const kw::DocRecord& before = AsDocument(stored.asStored);
    const kw::DocRecord& after = AsDocument(now);
    const std::string which = "document " + std::string(before.DocAltNumber);
    if (after.DocLinkId != before.DocLinkId ||
        !SameField(after.DocAltNumber, before.DocAltNumber, sizeof before.DocAltNumber)) {
      Fail(which + " lost its number or its items");
      return;
    }
    if (!stored.marked) {
      if (now != stored.asStored) Fail(which + ", which was not marked, changed");
      continue;
    }
    const bool stillMarked = after.ConversionPending != 0 && std::strcmp(after.DocNumber, ".") == 0 &&
                             SameField(after.DocNote, kMarkNote, std::strlen(kMarkNote) + 1);
    const bool converted = after.ConversionPending == 0 && (after.DocFlags & 0x400) != 0 &&
                           SameField(after.DocNumber, before.DocAltNumber, sizeof after.DocNumber);
    if (stored.converted && !converted) Fail(which + " was converted and is no longer");
    if (!stillMarked && !converted) Fail(which + " is neither converted nor still marked");
    stored.converted = converted;
  }
}

void HostWalk::CheckConfig() {
  const std::optional<std::string> now = files_.Read("komis.cfg");
  // An empty file says what a missing one says: no configuration.
  const auto same = [](const std::optional<std::string>& a, const std::optional<std::string>& b) {
    return a.value_or("") == b.value_or("");
  };
  if (saveMustHold_ && now != newConfig_) {
    Fail("an OK that nothing made fail left komis.cfg with " + std::to_string(now ? now->size() : 0) +
         " bytes other than the flags chosen");
    config_ = now;
    return;
  }
  if (same(now, config_)) return;
  if (newConfig_ && now == newConfig_) {
    config_ = now;
    return;
  }
  if (configMayBeLost_ && messages_.Shown().size() > boxesBefore_) {
    config_ = now;  // both the new and the old content failed to be written, and the user was told
    return;
  }
  Fail("komis.cfg holds " + std::to_string(now ? now->size() : 0) +
       " bytes that are neither its old nor its new content");
  config_ = now;
}

void HostWalk::CheckRegister() {
  std::vector<int> others;
  for (const int entry : jpk_.List()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, entry - 1).data());
    if (record->JpkContrNumber != hostsim::kTmoNumber) others.push_back(entry);
  }
  if (others != otherEntries_) Fail("the register lost an entry of another contractor");
}

}  // namespace kwtest
