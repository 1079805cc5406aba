#include "sim_jpk_register.h"

#include <algorithm>
#include <utility>
#include <cstring>

#include "call_checked.h"
#include "guarded_memory.h"
#include "host_time.h"
#include "text_codec.h"

namespace hostsim {

namespace {

constexpr std::size_t kHostObjectSize = 32;  // the selection and the view, opaque to the module
// The arguments that the handler only passes on.
constexpr uint32_t kPassedOn2 = 0x0A020002, kPassedOn4 = 0x0A040004, kPassedOn5 = 0x0A050005,
                   kPassedOn10 = 0x0A10000A;

SimJpkRegister* current = nullptr;  // the component whose handler sits in the slot

uint32_t Address(const void* p) { return reinterpret_cast<uint32_t>(p); }

}  // namespace

SimJpkRegister::SimJpkRegister(Host& host)
    : host_(host),
      tables_(host.Use<SimTables>()),
      count_(NewGuarded<int>()),
      arrayRef_(NewGuarded<int*>()),
      selection_(static_cast<HostSelection*>(AllocateGuarded(kHostObjectSize))),
      view_(AllocateGuarded(kHostObjectSize)),
      handled_(NewGuarded<int16_t>()),
      signalWord_(NewGuarded<uint16_t>()) {
  current = this;
  *handled_ = kHandledAtStart;
  *signalWord_ = kSignalWordAtStart;
  SetList({});
  InstallPreviousHandler();

  host.On("HostBeginSelectionUpdate", [this](HostCall& call) { return BeginSelectionUpdate(call); });
  host.On("HostEndSelectionUpdate", [this](HostCall& call) { return EndSelectionUpdate(call); });
  host.On("HostPrepareDelete", [this](HostCall& call) { return PrepareDelete(call); });
  host.On("HostDeleteSelected", [this](HostCall& call) { return DeleteSelected(call); });
  host.On("HostGetRefreshArg", [this](HostCall& call) { return GetRefreshArg(call); });
  host.On("HostRefreshList", [this](HostCall& call) { return RefreshList(call); });
  host.On("HostRefreshDisplay", [this](HostCall& call) { return RefreshDisplay(call); });
  host.On("HostGetSignalWordPtr", [this](HostCall& call) { return GetSignalWordPtr(call); });
  host.On("HostPostSignal", [this](HostCall& call) { return PostSignal(call); });
}

// HostBeginSelectionUpdate(table, selection) and HostEndSelectionUpdate with the same two.
uint32_t SimJpkRegister::BeginSelectionUpdate(HostCall& call) {
  IsRegisterList(call, -1, 0, -1, 1, -1);
  if (updateOpen_) host_.ReportFault("HostBeginSelectionUpdate while an update is open");
  updateOpen_ = true;
  updateTable_ = call.Arg(0);
  updateSelection_ = call.Arg(1);
  ++updatesBegun_;
  return 0;
}

uint32_t SimJpkRegister::EndSelectionUpdate(HostCall& call) {
  if (!updateOpen_) {
    host_.ReportFault("HostEndSelectionUpdate without HostBeginSelectionUpdate");
    return 0;
  }
  if (call.Arg(0) != updateTable_ || call.Arg(1) != updateSelection_) {
    host_.ReportFault("HostEndSelectionUpdate with other arguments than HostBeginSelectionUpdate");
  }
  updateOpen_ = false;
  ++updatesEnded_;
  return 0;
}

// HostPrepareDelete(table, 0, -1, 0), right before a deletion.
uint32_t SimJpkRegister::PrepareDelete(HostCall& call) {
  IsRegisterList(call, -1, 0, -1, -1, -1);
  if (call.Int(1) != 0 || call.Int(2) != -1 || call.Int(3) != 0) {
    host_.ReportFault("HostPrepareDelete with other values than 0, -1, 0");
  }
  deletionPrepared_ = true;
  ++deletionsPrepared_;
  return 0;
}

// HostDeleteSelected(numbers, entry counted from 0, table, &count, selection, view, 0)
uint32_t SimJpkRegister::DeleteSelected(HostCall& call) {
  if (!IsRegisterList(call, 0, 2, 3, 4, 5)) return 0;
  if (!updateOpen_) host_.ReportFault("HostDeleteSelected outside a selection update");
  if (!deletionPrepared_ && !host_.Lacks("HostPrepareDelete")) host_.ReportFault("HostDeleteSelected without HostPrepareDelete before it");
  deletionPrepared_ = false;
  if (call.Int(6) != 0) host_.ReportFault("HostDeleteSelected with a last argument other than 0");
  const int entry = call.Int(1) + 1;
  int* end = array_ + *count_;
  int* found = std::find(array_, end, entry);
  if (found == end) {
    // Gone meanwhile when the host's event loop ran first: refused, as a host does.
    if (!call.afterEventLoop) {
      host_.ReportFault("HostDeleteSelected of entry " + std::to_string(entry) + ", which is not in the list");
    }
    return 0;
  }
  if (failedDeletions_.count(entry)) return 0;
  if (claimedDeletions_.count(entry)) return 1;
  std::copy(found + 1, end, found);
  *(end - 1) = 0;  // the freed place at the end holds no entry
  --*count_;
  deleted_.push_back(entry);
  return refusedButDone_.count(entry) ? 0 : 1;
}

uint32_t SimJpkRegister::GetRefreshArg(HostCall&) {
  return kRefreshArg;
}

// HostRefreshList(numbers, count, view, 0, refresh value)
uint32_t SimJpkRegister::RefreshList(HostCall& call) {
  IsRegisterList(call, 0, -1, -1, -1, 2);
  if (call.Int(1) != *count_) host_.ReportFault("HostRefreshList with a count that is not the list's");
  if (call.Int(3) != 0) host_.ReportFault("HostRefreshList with a fourth argument other than 0");
  if (call.Int(4) != kRefreshArg) host_.ReportFault("HostRefreshList without the value of HostGetRefreshArg");
  refreshes_.push_back({call.Int(1), List()});
  return 0;
}

uint32_t SimJpkRegister::RefreshDisplay(HostCall&) {
  ++displayRefreshes_;
  return 0;
}

uint32_t SimJpkRegister::GetSignalWordPtr(HostCall&) {
  return Address(signalWord_);
}

// A __thiscall without stack arguments: the value arrives in ECX.
uint32_t SimJpkRegister::PostSignal(HostCall& call) {
  signals_.push_back(call.Int(0));
  return 0;
}

SimJpkRegister::~SimJpkRegister() {
  if (current == this) current = nullptr;
  ReleaseGuarded(array_);
  ReleaseGuarded(count_);
  ReleaseGuarded(arrayRef_);
  ReleaseGuarded(selection_);
  ReleaseGuarded(view_);
  ReleaseGuarded(handled_);
  ReleaseGuarded(signalWord_);
}

// Checks that the arguments at these indices (-1: not given) are the
// register's array, table, count cell, selection and view.
bool SimJpkRegister::IsRegisterList(const HostCall& call, int numbers, int table, int count, int selection,
                                    int view) {
  const std::string name = call.info->name;
  bool ok = true;
  const auto expect = [&](int index, uint32_t value, const char* what) {
    if (index < 0 || call.Arg(index) == value) return;
    host_.ReportFault(name + " with an argument " + std::to_string(index + 1) + " that is not the register's " +
                      what);
    ok = false;
  };
  expect(numbers, Address(array_), "entry number array");
  expect(table, Address(Table()), "table object");
  expect(count, Address(count_), "count cell");
  expect(selection, Address(selection_), "selection");
  expect(view, Address(view_), "view");
  return ok;
}

int SimJpkRegister::AddEntry(const std::string& docNumber, int32_t contrNumber, const std::string& text1,
                             const std::string& text2) {
  kw::JpkRecord record{};
  PutMazovia(record.JpkDocNumber, docNumber);
  PutMazovia(record.JpkContrText1, text1);
  PutMazovia(record.JpkContrText2, text2);
  record.JpkContrNumber = contrNumber;
  return tables_.AddRecord(kTable, std::string(reinterpret_cast<const char*>(&record), sizeof record), {}) + 1;
}

void SimJpkRegister::SetList(const std::vector<int>& entryNumbers) {
  ReleaseGuarded(array_);
  capacity_ = static_cast<int>(entryNumbers.size());
  // Exactly as long as the list: a read beyond it faults, of an empty list any read.
  array_ = static_cast<int*>(AllocateGuarded(capacity_ * sizeof(int)));
  std::copy(entryNumbers.begin(), entryNumbers.end(), array_);
  *count_ = capacity_;
  *arrayRef_ = array_;
}

std::vector<int> SimJpkRegister::List() const {
  const int count = std::clamp(*count_, 0, capacity_);
  return {array_, array_ + count};
}

TableEventHandler* SimJpkRegister::PreviousHandler() { return &RecordingHandler; }

void SimJpkRegister::InstallPreviousHandler() {
  if (HostTable* table = Table()) table->EventHandler = &RecordingHandler;
}

TableEventArgs SimJpkRegister::EventArgs(int eventCode) const {
  return {static_cast<uint32_t>(eventCode), kPassedOn2, Address(count_), kPassedOn4, kPassedOn5,
          Address(Table()), Address(arrayRef_), Address(selection_), Address(view_), kPassedOn10,
          Address(handled_)};
}

uint32_t SimJpkRegister::RaiseEvent(const TableEventArgs& args) {
  HostTable* table = Table();
  if (!table || !table->EventHandler) {
    host_.ReportFault("an event on table 400 without a handler in its slot");
    return 0;
  }
  // An event raised from inside a host call of an event being handled has
  // an update of its own: the outer one goes on after it.
  const bool outerUpdate = std::exchange(updateOpen_, false);
  const bool outerDeletion = std::exchange(deletionPrepared_, false);
  const uint32_t result = CallModule("the handler of table 400", reinterpret_cast<const void*>(table->EventHandler),
                                     Convention::Std, std::vector<uint32_t>(args.begin(), args.end()));
  updateOpen_ = outerUpdate;
  deletionPrepared_ = outerDeletion;
  return result;
}

void SimJpkRegister::RecordPreviousCall(const TableEventArgs& args) {
  PreviousHandlerCall call{args, -1, {}, host_.Calls().size(), {}, {}};
  for (const auto& [table, inHand] : {std::pair{35, &call.contractorInHand}, std::pair{400, &call.entryInHand}}) {
    if (const uint8_t* buffer = tables_.RecordBuffer(table)) {
      inHand->assign(reinterpret_cast<const char*>(buffer), tables_.Find(table)->RecordLength);
    }
  }
  if (args[2] == Address(count_)) {
    call.count = *count_;
    if (args[6] == Address(arrayRef_) && *arrayRef_ == array_) call.entries = List();
  }
  previousCalls_.push_back(std::move(call));
}

int __stdcall SimJpkRegister::RecordingHandler(int eventCode, int a2, int* entryCount, int a4, int a5,
                                               HostTable* table, int** recordNumbersRef, HostSelection* selection,
                                               void* view, int a10, int16_t* handled) {
  const HostTimeScope inHost(true);
  if (current) {
    current->RecordPreviousCall({static_cast<uint32_t>(eventCode), static_cast<uint32_t>(a2), Address(entryCount),
                                 static_cast<uint32_t>(a4), static_cast<uint32_t>(a5), Address(table),
                                 Address(recordNumbersRef), Address(selection), Address(view),
                                 static_cast<uint32_t>(a10), Address(handled)});
    if (current->atPrevious_) std::exchange(current->atPrevious_, nullptr)();
  }
  return static_cast<int>(kPreviousResult);
}

}  // namespace hostsim
