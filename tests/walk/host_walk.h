// A seeded random walk through what the user and the host do while the module
// is loaded: document dialogs opened and closed (also by the host's own
// handler opening the next one at the close), documents accepted and
// cancelled, the configuration command ended with OK or Esc (with document
// events raised while its dialog is open), events on the JPK register, tables
// and komis.cfg taken away and brought back, file writes, closes and reads
// failing, writes answered as different hosts answer them, and events the
// host raises from inside a host call the module makes. After every step the
// walk checks what the host must be able to rely on; the first broken promise
// ends it with the step that broke it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "example_shop.h"
#include "host.h"
#include "plugin_module.h"
#include "sim_commands.h"

namespace hostsim {
class SimCommands;
class SimConfigDialog;
class SimDialogBase;
class SimFiles;
class SimJpkRegister;
class SimMessages;
class SimTables;
}  // namespace hostsim

namespace kwtest {

class HostWalk {
 public:
  explicit HostWalk(uint32_t seed);

  // Walks `steps` steps; answers the first failure ("step N (action): what"),
  // or nothing when every check held.
  std::optional<std::string> Run(int steps);

  // The step in progress, for a report when the process faults.
  static int CurrentStep();
  static const char* CurrentAction();

 private:
  struct StoredDocument {
    int record;
    std::string asStored;  // the record's bytes when the host stored it
    bool marked;
    bool converted;
  };

  void TakeStep();
  void OpenDocumentDialog();
  void CloseDocumentDialog();
  void EnterDocument(bool accept);
  void StrayDocumentEvent();
  void RunCommand(bool ok);  // ended with OK, else with Esc
  void EventsInsideCommand();
  void JpkEvent();
  void AddRegisterEntries();
  void HideTable();
  void TakeConfigAway();
  void FailWrites();
  void SaveAndNew();
  // A step during which the host raises one of the module's events from
  // inside a host call: only the host's safety is promised for it.
  void Reenter();
  void InnerEvent(int which);

  // Raises a document event and checks that the host's own handlers got it,
  // and every event raised from inside it, once, as raised.
  void Raise(int event, int code, int phase);
  void RaiseJpk(int code);
  void Check();
  void CheckDocuments();
  void CheckConfig();
  void CheckRegister();
  void Fail(const std::string& what);

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
  hostsim::SimJpkRegister& jpk_;
  hostsim::PluginModule module_;

  std::optional<std::string> failure_;
  bool trace_ = false;  // KW_WALK_TRACE: every step's action on stderr
  bool dialogOpen_ = false;
  bool documentsTouched_ = false;         // an event or command of this step may have converted documents
  std::map<int, int> hiddenUntil_;        // table, the step that brings it back
  int configBackAt_ = 0;
  int32_t nextLinkId_ = 1;
  std::vector<StoredDocument> documents_;
  std::optional<std::string> config_;     // komis.cfg as it should be; nothing when absent
  std::optional<std::string> putAside_;   // komis.cfg while taken away
  std::optional<std::string> newConfig_;  // what an OK in this step may have written
  bool configMayBeLost_ = false;          // no write can be put back in this step
  bool saveMustHold_ = false;             // an OK that nothing made fail: newConfig_ must be on the disk
  bool reentered_ = false;                // an event came from inside a host call in this step
  bool objectsUnsure_ = false;            // since then, which dialog has an object is not promised
  std::vector<hostsim::HostEventCall> raised_;  // document events raised, in order
  int jpkRaised_ = 0;
  int raiseDepth_ = 0;                    // document events being raised now
  bool dialogSettled_ = false;            // a dialog opened or closed in this step, not from inside another event
  bool failReadBeforeSave_ = false;       // the command's save finds the old file unreadable
  std::string failingAction_;             // the text currentAction points to for composed actions
  std::size_t boxesBefore_ = 0;
  std::vector<int> otherEntries_;         // register entries of other contractors, in list order
  std::size_t faultsSeen_ = 0;
};

}  // namespace kwtest
