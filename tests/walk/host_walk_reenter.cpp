// The walk's re-entrant steps: while the module handles an event or runs its
// command, the host raises another of the module's events, or runs its
// command, from inside one of the module's host calls (before the call's work
// or after it) or from inside its own handler that the module hands the event
// on to.
#include <algorithm>
#include <cstring>

#include "host_walk.h"
#include "sim_config_dialog.h"
#include "sim_documents.h"
#include "sim_jpk_register.h"
#include "sim_tables.h"

namespace kwtest {

void HostWalk::Reenter() {
  static const char* const kInner[] = {"a document dialog opening", "the document dialog closing",
                                       "a document accepted", "the configuration command", "event 231"};
  static const char* const kOuter[] = {"a document dialog opened", "a document accepted",
                                       "the document dialog closed", "the configuration command",
                                       "an event on the JPK register"};
  static const char* const kSite[] = {"after the work of host call ", "before the work of host call ",
                                      "inside the host's own handler"};
  const Inner inner = static_cast<Inner>(Pick(5));
  const int outer = Pick(5);
  // An end inside an acceptance: a consigned sale accepted before it in the
  // same dialog, stored and marked, waits for that end.
  if (outer == 1 && inner == Inner::Close && dialogOpen_ && HabitNow() == Habit::StoreAtAcceptance) {
    EnterDocument(true, true);
  }
  reentered_ = true;
  const bool objectKnown = !objectsUnsure_;
  objectsUnsure_ = true;
  // The command has no handler of the host's own to run inside.
  const Site site = static_cast<Site>(Pick(outer == 3 ? 2 : 3));
  // An end inside an acceptance comes among the acceptance's own calls.
  const int nth = 1 + Pick(outer == 1 && inner == Inner::Close ? 20 : 60);
  // Inner events that end or open a dialog, or a command whose save may be
  // running, change the object or the flags under an acceptance.
  fatesUnsure_ = inner != Inner::Jpk || outer == 3;
  // An end inside an acceptance, wherever it comes from, converts by the
  // time the acceptance is done what was stored before it.
  innerEndConverts_ = outer == 1 && objectKnown;
  ArmInner(site, outer == 4, nth, inner);
  switch (outer) {
    case 0: OpenDocumentDialog(); break;
    case 1: EnterDocument(true); break;
    case 2: CloseDocumentDialog(); break;
    case 3: RunCommand(Chance(60)); break;
    default: JpkEvent(); break;
  }
  host_.Interrupt(0, {});
  hostsim::SimCommands::AtOwnHandler(nullptr);
  jpk_.AtPreviousHandler(nullptr);
  failingAction_ = std::string(kOuter[outer]) + ", with " + kInner[static_cast<int>(inner)] + " " +
                   kSite[static_cast<int>(site)] + (site == Site::OwnHandler ? "" : std::to_string(nth));
  Doing(failingAction_.c_str());
}

// The inner event waits at its site: the n-th host call from now, or the
// host's own handler of the outer event (the register's, for an event on it).
void HostWalk::ArmInner(Site site, bool inRegister, int nth, Inner inner) {
  const auto action = [this, inner] { InnerEvent(inner); };
  switch (site) {
    case Site::HostCallAfterWork: host_.Interrupt(nth, action); break;
    case Site::HostCallBeforeWork: host_.Interrupt(nth, action, true); break;
    case Site::OwnHandler:
      if (inRegister) {
        jpk_.AtPreviousHandler(action);
      } else {
        hostsim::SimCommands::AtOwnHandler([action](const hostsim::HostEventCall&) { action(); });
      }
      break;
  }
}

void HostWalk::InnerEvent(Inner which) {
  const bool outerInner = inner_;
  inner_ = true;
  switch (which) {
    case Inner::Open: Raise(hostsim::kDocumentDialogEvent, 0x4151, -2); break;
    case Inner::Close: {
      const bool converts = innerEndConverts_ && dialogOpen_ && !Hidden(35) && !Hidden(44) && !Hidden(45);
      Raise(hostsim::kDocumentDialogEvent, Chance(80) ? hostsim::kDialogOk : hostsim::kDialogCancel, 2);
      if (converts) {
        mustConvert_ = true;
        convertDue_ = std::max(convertDue_, model_.Count());
      }
      break;
    }
    case Inner::Accept: AcceptInnerDocument(); break;
    case Inner::Command: InnerCommand(); break;
    case Inner::Jpk: RaiseJpk(hostsim::kJpkCleanupEvent); break;
  }
  inner_ = outerInner;
}

// The user picks the command inside the host's event loop, changes a flag and
// ends the dialog, mostly with OK.
void HostWalk::InnerCommand() {
  dialog_.MarkInList({{Pick(6), static_cast<int16_t>(Pick(2))}});
  dialog_.Script({}, Chance(80) ? hostsim::kDialogOk : hostsim::kDialogCancel);
  commands_.Pick(kConfigCommandId);
}

}  // namespace kwtest
