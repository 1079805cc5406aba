// The host's JPK register (table 400, "Ewid_JPK") as its table handler sees it:
// the entries as records of table 400, the list the host hands to the handler
// (a guarded array of entry numbers counted from 1, a guarded count, a
// selection and a view object), the host's own handler in the table's slot,
// which records what reached it, event 231 raised through whatever the slot
// holds, and the host's deletion, list refresh and signals.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "host.h"
#include "host_records.h"
#include "sim_tables.h"

namespace hostsim {

// The eleven 32-bit arguments of a call of a table handler, first first.
using TableEventArgs = std::array<uint32_t, 11>;

// One call of the host's own handler, with the list as it stood then.
struct PreviousHandlerCall {
  TableEventArgs args;
  int count;                 // the register's count, -1 when argument 3 was not the register's cell
  std::vector<int> entries;  // the register's entry numbers, when arguments 3 and 7 were the register's
  std::size_t callsBefore;   // host calls made before this one
  std::string contractorInHand, entryInHand;  // the record buffers of tables 35 and 400 then
};

// A HostRefreshList: the count it was given and the entries then in the list.
struct ListRefresh {
  int count;
  std::vector<int> entries;
};

class SimJpkRegister : public HostComponent {
 public:
  static constexpr int kTable = 400;
  static constexpr uint32_t kPreviousResult = 0x0E0A0231;  // what the host's own handler answers
  static constexpr int kRefreshArg = 0x4A11;               // what HostGetRefreshArg answers
  static constexpr uint16_t kSignalWordAtStart = 0x5157;
  static constexpr int16_t kHandledAtStart = 0x7A7A;

  explicit SimJpkRegister(Host& host);
  ~SimJpkRegister() override;

  // Appends an entry to table 400 (texts in UTF-8); answers its number, counted from 1.
  int AddEntry(const std::string& docNumber, int32_t contrNumber, const std::string& text1,
               const std::string& text2);
  // The list handed to the handler: these entry numbers in this order, the count their number.
  void SetList(const std::vector<int>& entryNumbers);
  std::vector<int> List() const;  // the entry numbers within the count
  int Count() const { return *count_; }
  // HostDeleteSelected of this entry answers 0 and changes nothing.
  void FailDeletionOf(int entryNumber) { failedDeletions_.insert(entryNumber); }
  // HostDeleteSelected of this entry answers 1 but leaves the list as it was (a faulty host).
  void ClaimDeletionOf(int entryNumber) { claimedDeletions_.insert(entryNumber); }
  // HostDeleteSelected of this entry deletes it but answers 0, as refused.
  void DeleteAnsweringRefusalOf(int entryNumber) { refusedButDone_.insert(entryNumber); }
  // Deletions are carried out and answered again as asked.
  void ClearDeletionFailures() {
    failedDeletions_.clear();
    claimedDeletions_.clear();
    refusedButDone_.clear();
  }
  const std::vector<int>& Deleted() const { return deleted_; }  // entry numbers, in order

  int* CountCell() const { return count_; }
  int* Array() const { return array_; }
  int** ArrayRef() const { return arrayRef_; }
  HostSelection* Selection() const { return selection_; }
  void* View() const { return view_; }
  int16_t& Handled() const { return *handled_; }
  uint16_t& SignalWord() const { return *signalWord_; }

  // The host's own handler, which records its calls and answers kPreviousResult.
  static TableEventHandler* PreviousHandler();
  // Puts it into table 400's slot; done at construction for the usual table.
  void InstallPreviousHandler();
  const std::vector<PreviousHandlerCall>& PreviousCalls() const { return previousCalls_; }
  // The host's own handler does this, once, before it answers: the host's
  // event loop runs inside its own handler too. Null takes it back.
  void AtPreviousHandler(std::function<void()> action) { atPrevious_ = std::move(action); }

  // The arguments of an event on the register: the list's cells and objects in
  // their places, the arguments the handler only passes on set to marks.
  TableEventArgs EventArgs(int eventCode) const;
  // Calls the handler that table 400's slot holds, the stack checked.
  uint32_t RaiseEvent(const TableEventArgs& args);
  uint32_t RaiseEvent(int eventCode) { return RaiseEvent(EventArgs(eventCode)); }

  int UpdatesBegun() const { return updatesBegun_; }
  int UpdatesEnded() const { return updatesEnded_; }
  int DeletionsPrepared() const { return deletionsPrepared_; }
  const std::vector<ListRefresh>& Refreshes() const { return refreshes_; }
  int DisplayRefreshes() const { return displayRefreshes_; }
  const std::vector<int32_t>& Signals() const { return signals_; }  // HostPostSignal, the value in ECX

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t BeginSelectionUpdate(HostCall& call);
  uint32_t EndSelectionUpdate(HostCall& call);
  uint32_t PrepareDelete(HostCall& call);
  uint32_t DeleteSelected(HostCall& call);
  uint32_t GetRefreshArg(HostCall& call);
  uint32_t RefreshList(HostCall& call);
  uint32_t RefreshDisplay(HostCall& call);
  uint32_t GetSignalWordPtr(HostCall& call);
  uint32_t PostSignal(HostCall& call);

  HostTable* Table() const { return tables_.Find(kTable); }
  bool IsRegisterList(const HostCall& call, int numbers, int table, int count, int selection, int view);
  void RecordPreviousCall(const TableEventArgs& args);
  static int __stdcall RecordingHandler(int eventCode, int a2, int* entryCount, int a4, int a5, HostTable* table,
                                        int** recordNumbersRef, HostSelection* selection, void* view, int a10,
                                        int16_t* handled);

  Host& host_;
  SimTables& tables_;
  int* array_ = nullptr;
  int capacity_ = 0;
  int* count_;
  int** arrayRef_;
  HostSelection* selection_;
  void* view_;
  int16_t* handled_;
  uint16_t* signalWord_;
  std::set<int> failedDeletions_;
  std::set<int> claimedDeletions_;
  std::set<int> refusedButDone_;
  std::vector<int> deleted_;
  std::vector<PreviousHandlerCall> previousCalls_;
  std::function<void()> atPrevious_;
  bool updateOpen_ = false;
  uint32_t updateTable_ = 0;
  uint32_t updateSelection_ = 0;
  bool deletionPrepared_ = false;
  int updatesBegun_ = 0;
  int updatesEnded_ = 0;
  int deletionsPrepared_ = 0;
  std::vector<ListRefresh> refreshes_;
  int displayRefreshes_ = 0;
  std::vector<int32_t> signals_;
};

}  // namespace hostsim
