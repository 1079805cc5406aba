// The walk's document dialogs: the user types and accepts or cancels
// documents, and the host stores and ends each dialog by the habit it has for
// it: storing right after the acceptance, storing only once the frame has
// closed (the end raised after the acceptance, or by its own handler of the
// acceptance), loading the next document in its own handler of the end ("save
// and open the next"), or an OK command whose own handler accepts, stores and
// ends. Wherever the host uses its record in hand, it must be the one it
// loaded, apart from the module's marks.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "host_walk.h"
#include "sim_documents.h"
#include "sim_files.h"
#include "sim_tables.h"

namespace kwtest {

HostWalk::Habit HostWalk::HabitNow() const {
  // Inside other events, and in steps with events from inside host calls,
  // the host stores at the acceptance and ends nothing on its own.
  return raiseDepth_ == 0 && !inner_ && !reentered_ ? habit_ : Habit::StoreAtAcceptance;
}

void HostWalk::OpenDocumentDialog() {
  Doing(dialogOpen_ ? "a document dialog opened over an open one" : "a document dialog opened");
  Raise(hostsim::kDocumentDialogEvent, 0x4151, -2);
}

void HostWalk::CloseDocumentDialog() {
  Doing(dialogOpen_ ? "the document dialog closed" : "a document dialog closed that never opened");
  const int code = Chance(80) ? hostsim::kDialogOk : hostsim::kDialogCancel;
  if (!dialogOpen_ || HabitNow() != Habit::SaveAndOpenNext) return Raise(hostsim::kDocumentDialogEvent, code, 2);
  // Save and open the next: the host's own handler of the end opens the next
  // dialog and loads a new document into table 44's buffer, then goes on with it.
  Doing("the document dialog closed, the host opening the next one with a new document");
  std::optional<TypedDocument> next;
  hostsim::SimCommands::AtOwnClose([this, &next] {
    hostsim::SimCommands::AtOwnClose(nullptr);
    Raise(hostsim::kDocumentDialogEvent, 0x4151, -2);
    next = TypeDocument();
  });
  Raise(hostsim::kDocumentDialogEvent, code, 2);
  hostsim::SimCommands::AtOwnClose(nullptr);
  if (!next) return;
  if (RecordInBuffer(44) != next->entered) {
    return Fail("document " + next->number + ", which the host loaded as it opened the next dialog, is not in its "
                "hands after the end");
  }
  Accept(*next);
}

// What the acceptance of a document of this kind with these lines (warehouse,
// whether the line names goods) must do, from what the walk knows of the
// dialog's object and of komis.cfg.
Fate HostWalk::Predict(int kind, const std::vector<std::pair<int, bool>>& lines) {
  // The dialog's object reads komis.cfg at a kind-24 acceptance when it can
  // reach its tables: a file too short means no flags, a missing one leaves
  // the flags it read before.
  if (kind == hostsim::kSalesDocumentKind && !Hidden(35) && !Hidden(44) && !Hidden(45)) {
    const std::optional<std::string> now = readsRefused_ ? std::nullopt : files_.Read("komis.cfg");
    if (now) {
      objectFlags_ = now->size() >= kConfigSize ? now->substr(0, kConfigSize) : std::string(kConfigSize, '\0');
      objectFlagsUnsure_ = false;
    }
  }
  // Events from inside host calls in this step may have ended the dialog, or
  // opened another, or a save may be running around the acceptance: the
  // document is then given to TMO and marked, or left as it was. So it is
  // when a stray acceptance may have read komis.cfg into the object's flags
  // and the file is not there to read again.
  if (objectsUnsure_ || fatesUnsure_ || objectFlagsUnsure_) return Fate::Either;
  if (!dialogOpen_ || kind != hostsim::kSalesDocumentKind || Hidden(35) || Hidden(44) || Hidden(45)) {
    return Fate::Untouched;
  }
  for (const auto& [warehouse, named] : lines) {
    int16_t flag;
    std::memcpy(&flag, &objectFlags_[2 * warehouse], sizeof flag);
    if (named && flag != 0) return Fate::Consigned;
  }
  return Fate::Untouched;
}

// A new document in table 44's buffer as the user types it, with its kind
// and item lines in the host's document in hand; a consigned sale when the
// walk wants one and komis.cfg marks a warehouse of the shop's goods.
HostWalk::TypedDocument HostWalk::TypeDocument(bool consigned) {
  const int32_t link = nextLinkId_++;
  TypedDocument typed;
  typed.number = "FS " + std::to_string(link) + "/12/2026";
  kw::DocRecord document{};
  std::strncpy(document.DocNumber, typed.number.c_str(), sizeof document.DocNumber - 1);
  std::strncpy(document.DocAltNumber, typed.number.c_str(), sizeof document.DocAltNumber - 1);
  document.TotalAmount = 10.0 + Pick(1000);
  document.AddAmount = Pick(3) == 0 ? 2.5 : 0.0;
  document.DeductAmount = Pick(3) == 0 ? 1.25 : 0.0;
  document.SettledAmount = document.TotalAmount;
  document.BalanceAmount = document.TotalAmount;
  for (double& split : document.SplitAmount) split = Pick(2) * 4.0;
  document.DocFlags = static_cast<uint16_t>(Pick(2) * 0x0011);
  typed.link = link;
  typed.linkAtStore = Chance(30);
  document.DocLinkId = typed.linkAtStore ? 0 : link;
  typed.entered.assign(reinterpret_cast<const char*>(&document), sizeof document);
  HostLoads(44, typed.entered);
  static constexpr int kWarehouses[] = {1, 3, 5};
  std::vector<int> marked;
  for (const int warehouse : kWarehouses) {
    if (consigned && config_ && config_->size() >= kConfigSize && ((*config_)[2 * warehouse] || (*config_)[2 * warehouse + 1])) {
      marked.push_back(warehouse);
    }
  }
  typed.kind = Chance(80) || !marked.empty() ? hostsim::kSalesDocumentKind : Pick(40);
  documents_.SetDocKind(typed.kind);
  documents_.ClearItemLines();
  for (int i = marked.empty() ? Pick(5) : 1 + Pick(4); i > 0; --i) {
    if (marked.empty()) typed.lines.push_back({kWarehouses[Pick(3)], Chance(90)});
    else typed.lines.push_back({marked[static_cast<std::size_t>(Pick(static_cast<int>(marked.size())))], true});
    documents_.AddItemLine(typed.lines.back().first, typed.lines.back().second ? 1 : 0);
    // Each item record its own bytes, so that one left in the buffer shows.
    std::string item(kw::kItemRecordLength, static_cast<char>('a' + i));
    std::memcpy(item.data(), &link, sizeof link);
    tables_.AddRecord(45, item, {hostsim::KeyRef(68, link)});
  }
  return typed;
}

void HostWalk::EnterDocument(bool accept, bool consigned) {
  if (raiseDepth_ == 0) Doing(accept ? "a document accepted" : "a document cancelled");
  const TypedDocument typed = TypeDocument(consigned);
  if (!accept) {
    Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogCancel, 1);
    if (Chance(50)) Raise(hostsim::kAcceptanceEvent, hostsim::kDialogCancel, 1);
    return;
  }
  Accept(typed);
}

void HostWalk::Accept(const TypedDocument& typed) {
  const Habit habit = HabitNow();
  if (habit == Habit::OkCommandEnds) return AcceptByOkCommand(typed);
  Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 1);
  const Fate fate = Predict(typed.kind, typed.lines);
  const std::size_t assignments = documents_.Assignments().size();
  // Stored once the frame has closed: the host ends the dialog after the
  // acceptance returns, or from its own handler of the acceptance.
  const bool storeAfterClose = habit == Habit::StoreAfterClose && dialogOpen_;
  const bool endInOwnHandler = storeAfterClose && Chance(50);
  if (endInOwnHandler) {
    hostsim::SimCommands::AtOwnHandler([this](const hostsim::HostEventCall&) { EndByHost(); });
  }
  Raise(hostsim::kAcceptanceEvent, Chance(80) ? hostsim::kDialogOk : kAcceptCode, Chance(80) ? 1 : -1);
  hostsim::SimCommands::AtOwnHandler(nullptr);
  if (storeAfterClose && !endInOwnHandler) {
    Doing("a document accepted, the host storing it after the dialog's end");
    Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 2);
  } else if (endInOwnHandler) {
    Doing("a document accepted, the host's own handler of the acceptance ending the dialog");
  }
  StoreInHand(typed, fate, assignments);
}

// The host's own handler of the OK command accepts the document, stores it
// and ends the dialog, all inside the module's handing on of the command.
void HostWalk::AcceptByOkCommand(const TypedDocument& typed) {
  if (!dialogOpen_) {
    habit_ = Habit::StoreAtAcceptance;
    return Accept(typed);
  }
  Doing("a document accepted by the host's own handler of the OK command, which ends the dialog");
  const Fate fate = Predict(typed.kind, typed.lines);
  const std::size_t assignments = documents_.Assignments().size();
  bool accepted = false;
  hostsim::SimCommands::AtOwnHandler([this, &typed, fate, assignments, &accepted](const hostsim::HostEventCall&) {
    accepted = true;
    Raise(hostsim::kAcceptanceEvent, hostsim::kDialogOk, 1);
    StoreInHand(typed, fate, assignments);
    EndByHost();
  });
  Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 1);
  hostsim::SimCommands::AtOwnHandler(nullptr);
  if (!accepted) Fail("the host's own handler never got the OK command of document " + typed.number);
}

// The host ends the dialog itself, as the user asked.
void HostWalk::EndByHost() {
  endByHost_ = true;
  Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 2);
  endByHost_ = false;
}

// The host stores the document it has in hand: the one accepted, as entered
// or only marked.
void HostWalk::StoreInHand(const TypedDocument& typed, Fate fate, std::size_t assignmentsBefore) {
  std::string inHand = RecordInBuffer(44);
  const auto& made = documents_.Assignments();
  const bool tmoAssigned = made.size() > assignmentsBefore && made.back().contractorSymbol == "TMO";
  const std::string wrong = DocumentModel::JudgeAcceptance(typed.entered, inHand, fate, tmoAssigned);
  if (!wrong.empty()) Fail("document " + typed.number + ": " + wrong);
  if (DocumentModel::IsMarked(inHand)) {
    std::string warehouses;
    for (int warehouse = 0; warehouse < kConfigSize / 2; ++warehouse) {
      for (const auto& [at, named] : typed.lines) {
        if (at != warehouse || !named || !(objectFlags_[2 * at] || objectFlags_[2 * at + 1])) continue;
        warehouses += (warehouses.empty() ? "" : ", ") + std::to_string(warehouse);
        break;
      }
    }
    const kw::DocRecord& entered = *reinterpret_cast<const kw::DocRecord*>(typed.entered.data());
    const std::string number(entered.DocNumber, strnlen(entered.DocNumber, sizeof entered.DocNumber));
    const std::string amount = JournalAmount(entered.TotalAmount), id = IdentityText(entered.DocLinkId);
    marks_.push_back({JournalLine({"", "", "OZNACZONO", number, amount, "", warehouses, "", "", id}),
                      JournalLine({"", "", "OZNACZONO", number, amount, "", "", "", "", id}), fate != Fate::Consigned});
  }
  // The host gives the document its link id as it stores it, if not before.
  std::memcpy(tables_.RecordBuffer(44) + offsetof(kw::DocRecord, DocLinkId), &typed.link, sizeof typed.link);
  inHand = RecordInBuffer(44);
  inHand_[44] = inHand;
  model_.Stored(tables_.AddRecord(44, inHand, {24}), typed.number, inHand);
  if (trace_) {
    std::fprintf(stderr, "%*sstored %s%s\n", 2 * raiseDepth_ + 2, "", typed.number.c_str(),
                 DocumentModel::IsMarked(inHand) ? ", marked" : "");
  }
}

// An acceptance in another dialog that the host runs from inside one of its
// functions: it keeps the document it had in hand (its record, kind and
// lines) and puts it back when the inner dialog is done, as it must for its
// own code after the function.
void HostWalk::AcceptInnerDocument() {
  const std::string record = RecordInBuffer(44);
  const std::map<int, std::string> inHand = inHand_;
  const hostsim::SimDocuments::InHand held = documents_.TakeInHand();
  EnterDocument(true);
  std::memcpy(tables_.RecordBuffer(44), record.data(), record.size());
  inHand_ = inHand;
  documents_.PutInHand(held);
}

void HostWalk::StrayDocumentEvent() {
  Doing("a document event of the host");
  static constexpr int kCodes[] = {0x4151, 0x5001, 0x5002, 0x3D00, 0x4009};
  static constexpr int kPhases[] = {-2, -1, 0, 1, 2};
  const int event = Chance(50) ? hostsim::kDocumentDialogEvent : hostsim::kAcceptanceEvent;
  const int code = Chance(80) ? kCodes[Pick(5)] : Pick(0x10000);
  // Only the buffer is touched by a stray acceptance; nothing is stored.
  const hostsim::SimDocuments::InHand held = documents_.TakeInHand();
  const std::size_t assignments = documents_.Assignments().size();
  strayAcceptance_ = strayAcceptance_ || event == hostsim::kAcceptanceEvent;
  Raise(event, code, kPhases[Pick(5)]);
  documents_.PutInHand(held);
  if (event == hostsim::kAcceptanceEvent) objectFlagsUnsure_ = true;
  // An acceptance may have given the document in hand to TMO and marked it.
  const std::string inHand = RecordInBuffer(44);
  const auto& made = documents_.Assignments();
  const bool tmoAssigned = made.size() > assignments && made.back().contractorSymbol == "TMO";
  if (DocumentModel::JudgeAcceptance(inHand_[44], inHand, Fate::Either, tmoAssigned).empty()) inHand_[44] = inHand;
}

void HostWalk::SaveAndNew() {
  // The host's own handler of the close accepts the document in hand ("save
  // before closing?"), opens the next dialog ("save and new"), or both.
  const int what = Pick(3);
  static const char* const kWhat[] = {"the host opening the next one", "the host accepting the document in hand",
                                      "the host accepting the document in hand and opening the next one"};
  failingAction_ = std::string(dialogOpen_ ? "the document dialog closed, " : "a dialog closed that never opened, ") +
                   kWhat[what];
  Doing(failingAction_.c_str());
  const bool hadObject = dialogOpen_ && !objectsUnsure_;
  hostsim::SimCommands::AtOwnClose([this, what, hadObject] {
    hostsim::SimCommands::AtOwnClose(nullptr);
    if (what != 0) {
      // The ending dialog's object takes the acceptance.
      dialogOpen_ = hadObject;
      EnterDocument(true);
      dialogOpen_ = false;
    }
    if (what != 1) Raise(hostsim::kDocumentDialogEvent, 0x4151, -2);
  });
  Raise(hostsim::kDocumentDialogEvent, hostsim::kDialogOk, 2);
  hostsim::SimCommands::AtOwnClose(nullptr);
  Doing(failingAction_.c_str());
}

}  // namespace kwtest
