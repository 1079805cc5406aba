// A seeded random walk through what the user and the host do while the module
// is loaded: document dialogs opened and closed (also by the host's own
// handler opening the next one, or accepting the document in hand, at the
// close), documents accepted and cancelled, the configuration command ended
// with OK or Esc (with document events raised while its dialog is open), events
// on the JPK register with deletions carried out, refused or claimed without
// effect, tables and komis.cfg taken away and brought back, file writes,
// closes and reads failing, writes answered as different hosts answer them,
// and the module's events raised from inside its host calls, before or after
// their work, and from inside the host's own handlers it hands events on to.
//
// The walk keeps its own model of the shop (walk_model.h): after every step it
// checks what the step must leave in the host's data, and what the host must
// be able to rely on; the first broken promise ends it with the step.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "example_shop.h"
#include "host.h"
#include "command_table.h"
#include "journal_format.h"
#include "plugin_module.h"
#include "sim_commands.h"
#include "sim_config_dialog.h"
#include "walk_model.h"

namespace hostsim {
class SimConfigDialog;
class SimDialogBase;
class SimDocuments;
class SimFiles;
class SimJpkRegister;
class SimMessages;
class SimTables;
}  // namespace hostsim

namespace kwtest {

inline constexpr int kAcceptCode = 0x4009;
inline constexpr int kConfigSize = 202;
// The tables whose record buffers the host and the module share.
inline constexpr int kRecordTables[] = {35, 44, 45, 400};

class HostWalk {
 public:
  explicit HostWalk(uint32_t seed);

  // Walks `steps` steps; answers the first failure ("step N (action): what"),
  // or nothing when every check held.
  std::optional<std::string> Run(int steps);

  // With the relay trace on (KW_WALK_SLAD): plays the walk's trace back on a
  // fresh host and compares what the module handed the host there with what
  // the walk's host saw handed (host_walk_slad.cpp). The walk's host is gone
  // afterwards: call it last.
  std::optional<std::string> PlayBack();
  bool Slad() const { return slad_; }

  // The step in progress, for a report when the process faults.
  static int CurrentStep();
  static const char* CurrentAction();
  static void Doing(const char* action);  // names the step in progress

 private:
  // Where an inner event comes from in a re-entrant step.
  enum class Site { HostCallAfterWork, HostCallBeforeWork, OwnHandler };
  enum class Inner { Open, Close, Accept, Command, Jpk };
  // How the host stores the documents of a dialog and ends it, chosen when
  // the dialog opens (host_walk_documents.cpp).
  enum class Habit { StoreAtAcceptance, StoreAfterClose, SaveAndOpenNext, OkCommandEnds };
  // A document as the user typed it into table 44's buffer.
  struct TypedDocument {
    std::string number;   // UTF-8, for the reports
    std::string entered;  // the record's bytes
    int kind = 0;
    std::vector<std::pair<int, bool>> lines;  // warehouse, whether the line names goods
    int32_t link = 0;          // the link id the host gives the document
    bool linkAtStore = false;  // given only when the host stores it: 0 in the record until then
  };
  // The OZNACZONO line a document stored marked must have (JournalLine);
  // its warehouses are not checked where the step may have changed the flags.
  struct ExpectedMark {
    std::string line, withoutWarehouses;
    bool anyWarehouses;
  };

  void TakeStep();
  void StartStep();
  Habit HabitNow() const;
  void OpenDocumentDialog();
  void CloseDocumentDialog();
  TypedDocument TypeDocument(bool consigned = false);
  void EnterDocument(bool accept, bool consigned = false);
  void Accept(const TypedDocument& typed);
  void AcceptByOkCommand(const TypedDocument& typed);
  void EndByHost();
  void StoreInHand(const TypedDocument& typed, Fate fate, std::size_t assignmentsBefore);
  void AcceptInnerDocument();
  void StrayDocumentEvent();
  // Ended with OK, else with Esc; with document events while its dialog is
  // open when `eventsAllowed` and the dice say so.
  void RunCommand(bool ok, bool eventsAllowed = true);
  void InnerCommand();
  void EventsInsideCommand();
  void JpkEvent();
  void AddRegisterEntries();
  void HideTable();
  void TakeConfigAway();
  std::string FailTheNextSave(bool& countedRead);
  void FailWrites();
  void SaveAndNew();
  void Reenter();
  void ArmInner(Site site, bool inRegister, int nth, Inner inner);
  void InnerEvent(Inner which);

  // Raises a document event and checks that the host's own handlers got it,
  // and every event raised from inside it, once, as raised.
  void Raise(int event, int code, int phase);
  void RaiseJpk(int code);
  // The host's own screens make records of tables 35, 45 and 400 current.
  void HostScreens();
  void HostLoads(int table, const std::string& record);
  std::string RecordInBuffer(int table) const;
  void Check();
  void CheckRecordsInHand();
  void CheckJournal();
  std::string JudgeLine(const std::vector<std::string>& fields, std::multiset<std::string>& written,
                        std::vector<const SavedChoice*>& unsaved);
  std::string JudgeMark(std::vector<std::string> fields);
  std::string JudgeSaveLine(const std::vector<std::string>& fields, std::vector<const SavedChoice*>& unsaved) const;
  void FinalRegisterPass();
  // The shop at the walk's end as an accountant's report must find it.
  struct ShopAccount {
    std::map<std::string, int64_t> sold;               // each document converted: its amount in grosze
    std::set<std::string> notRemoved, removedNotSold;  // converted, never removed nor left; removed, never converted
    std::set<std::string> left;                        // TMO's entries the register still holds
    std::set<std::string> markedNotSold;               // stored marked, never converted
    int status = 0;                                    // 1: something of the above to look at
  };
  ShopAccount AccountOfShop() const;
  std::optional<std::string> CompareReport() const;
  void CheckHostState();
  void CheckObjects();
  void CheckConfig();
  void CheckRegister();
  void Finish();
  void Fail(const std::string& what);
  bool Hidden(int table) const { return hiddenUntil_.count(table) != 0; }
  Fate Predict(int kind, const std::vector<std::pair<int, bool>>& lines);

  int Pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }
  bool Chance(int percent) { return Pick(100) < percent; }

  std::mt19937 random_;
  hostsim::Host& host_;
  hostsim::ExampleShop shop_;
  hostsim::SimCommands& commands_;
  hostsim::SimTables& tables_;
  hostsim::SimFiles& files_;
  hostsim::SimMessages& messages_;
  hostsim::SimConfigDialog& dialog_;
  hostsim::SimDialogBase& dialogBase_;
  hostsim::SimDocuments& documents_;
  hostsim::SimJpkRegister& jpk_;
  hostsim::PluginModule module_;
  DocumentModel model_;

  std::optional<std::string> failure_;
  bool trace_ = false;  // KW_WALK_TRACE: every step's action on stderr
  // KW_WALK_SLAD: the module's relay trace on (host_walk_slad.cpp).
  void StartSlad();
  void CheckSlad();
  bool slad_ = false;
  // What the module handed the walk's host (HandedData), each with the trace
  // lines there were then.
  std::vector<std::pair<std::string, std::size_t>> sladHanded_;
  bool sladStopped_ = false;          // the trace wrote its last line at the size bound
  std::size_t sladSeen_ = 0;          // trace lines checked
  std::size_t sladJournalSeen_ = 0;   // journal lines and boxes whose decisions were checked
  std::size_t sladBoxesSeen_ = 0;
  bool dialogOpen_ = false;
  std::map<int, int> hiddenUntil_;        // table, the step that brings it back
  int configBackAt_ = 0;
  int32_t nextLinkId_ = 1;
  std::optional<std::string> config_;     // komis.cfg as it stands; nothing when absent
  std::optional<std::string> putAside_;   // komis.cfg while taken away
  std::string objectFlags_;               // the flags the open dialog's object holds
  bool objectFlagsUnsure_ = false;        // an acceptance the walk did not follow may have read komis.cfg
  std::vector<SavedChoice> choices_;      // the configuration dialogs ended in this step
  bool reentered_ = false;                // an event came from inside a host call in this step
  bool inner_ = false;                    // an inner event of a re-entrant step is being raised
  bool innerEndConverts_ = false;         // an inner end of this step must convert, the dialog's object known
  Habit habit_ = Habit::StoreAtAcceptance;  // of the document dialog open now
  bool endByHost_ = false;                // the host ends the dialog on its own, as the user asked
  std::map<int, std::string> inHand_;     // per table, the record the host loaded into its buffer
  bool acceptanceRaised_ = false;         // event 1664 in this step: table 35 may hold TMO
  bool fatesUnsure_ = false;              // in this step an acceptance's object or flags may change under it
  bool objectsUnsure_ = false;            // since then, which dialog has an object is not promised
  // A dialog with an object ended in this step as the user ends it: the
  // documents stored before that end (the first convertDue_) must be converted.
  bool mustConvert_ = false;
  std::size_t convertDue_ = 0;
  bool jpkPassed_ = false;                // event 231 was handled in this step
  std::vector<hostsim::HostEventCall> raised_;  // document events raised, in order
  int jpkRaised_ = 0;
  int raiseDepth_ = 0;                    // document events being raised now
  bool dialogSettled_ = false;            // a dialog opened or closed in this step, not from inside another event
  bool failReadBeforeSave_ = false;       // the command's save finds the old file unreadable
  bool readsRefused_ = false;             // the host opens no komis.cfg for reading in this step
  bool writesFail_ = false;               // a write or a close of komis.cfg may lose data in this step
  std::string failingAction_;             // the text currentAction points to for composed actions
  std::size_t boxesBefore_ = 0;
  std::vector<int> otherEntries_;         // register entries of other contractors, in list order
  int entriesAdded_ = 0;                  // register entries added, each with a number of its own
  std::set<std::string> tmoEntries_;      // the document numbers of TMO's register entries
  std::vector<ExpectedMark> marks_;       // the marked documents stored in this step
  bool strayAcceptance_ = false;          // an acceptance in this step whose document is not stored
  std::set<std::string> strayMarks_;      // numbers marked at such acceptances: the journal marks what the shop never stored
  std::size_t journalSeen_ = 0;           // lines of the module's journal checked
  std::size_t deletedSeen_ = 0;           // register entries deleted, checked
  std::size_t faultsSeen_ = 0;
};

}  // namespace kwtest
