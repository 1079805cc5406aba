#include "host_walk.h"

#include <cstdio>
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
    documentsTouched_ = false;
    TakeStep();
    if (trace_) std::fprintf(stderr, "step %d: %s\n", currentStep, currentAction);
    files_.FailWrites(false);
    Check();
  }
  if (!failure_) {
    currentAction = "the end";
    documentsTouched_ = true;
    CheckDocuments();
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
  if (roll < 12) OpenDocumentDialog();
  else if (roll < 32) EnterDocument(true);
  else if (roll < 38) EnterDocument(false);
  else if (roll < 48) CloseDocumentDialog();
  else if (roll < 56) StrayDocumentEvent();
  else if (roll < 68) RunCommand(Chance(60));
  else if (roll < 76) JpkEvent();
  else if (roll < 81) AddRegisterEntries();
  else if (roll < 88) HideTable();
  else if (roll < 93) TakeConfigAway();
  else FailWrites();
}

void HostWalk::Raise(int event, int code, int phase) {
  const std::size_t before = hostsim::SimCommands::OwnHandlerCalls().size();
  commands_.Raise(event, code, phase);
  const auto& calls = hostsim::SimCommands::OwnHandlerCalls();
  const std::string raised = "event " + std::to_string(event) + " (code " + std::to_string(code) + ", phase " +
                             std::to_string(phase) + ")";
  if (calls.size() != before + 1) {
    Fail(raised + " reached the host's own handler " + std::to_string(calls.size() - before) + " times");
  } else if (calls.back().event != event || calls.back().code != code || calls.back().phase != phase) {
    Fail(raised + " reached the host's own handler as code " + std::to_string(calls.back().code) + ", phase " +
         std::to_string(calls.back().phase));
  }
  if (event == hostsim::kDocumentDialogEvent && phase == -2) dialogOpen_ = true;
  if (event == hostsim::kDocumentDialogEvent && phase == 2) {
    dialogOpen_ = false;
    documentsTouched_ = true;
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
  if (ok) newConfig_ = flags;
  dialog_.MarkInList(edits);
  std::vector<hostsim::DialogStep> steps;
  if (Chance(20)) steps.push_back({0x430E, 1});  // F2: the list again, left as it is
  dialog_.Script(steps, ok ? hostsim::kDialogOk : kDialogCancel);
  if (Chance(40)) dialog_.WhileOpen([this] { EventsInsideCommand(); });
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
  const int code = Chance(80) ? hostsim::kJpkCleanupEvent : 200 + Pick(60);
  const hostsim::TableEventArgs args = jpk_.EventArgs(code);
  const std::size_t before = jpk_.PreviousCalls().size();
  jpk_.RaiseEvent(args);
  const auto& calls = jpk_.PreviousCalls();
  if (calls.size() != before + 1) {
    Fail("event " + std::to_string(code) + " on table 400 reached the host's handler " +
         std::to_string(calls.size() - before) + " times");
  } else if (calls.back().args != args) {
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
  if (Chance(50)) {
    files_.FailWrite(1, kConfigSize / 2);  // cut short midway; putting the old bytes back works
  } else {
    files_.FailWrites(true);
    configMayBeLost_ = true;
  }
  RunCommand(true);
  currentAction = configMayBeLost_ ? "the configuration command, every write failing"
                                   : "the configuration command, its first write failing";
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
  const int expectedObjects = dialogOpen_ ? 1 : 0;
  if (dialogBase_.LiveObjects() != expectedObjects) {
    Fail(std::to_string(dialogBase_.LiveObjects()) + " dialog objects alive, " + std::to_string(expectedObjects) +
         " expected");
  }
  if (hostsim::ModuleHeapGuard::LiveBlocks() != expectedObjects) {
    Fail(std::to_string(hostsim::ModuleHeapGuard::LiveBlocks()) + " blocks of the module's heap alive, " +
         std::to_string(expectedObjects) + " expected");
  }
  CheckDocuments();
  CheckConfig();
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
