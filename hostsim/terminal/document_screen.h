// The sales documents: the list of stored documents (number, contractor,
// flags, terms, amounts), and the host's document dialog in which the person
// enters a new document of kind 24 for a customer, adds lines from a small
// list of goods (each from its warehouse), accepts it with F12 and closes the
// dialog with Esc.
#pragma once

#include <string>
#include <vector>

#include "session.h"

namespace hostsim::terminal {

class DocumentScreen {
 public:
  explicit DocumentScreen(Session& session) : session_(session) {}

  // The list until Esc; F2 opens the document dialog.
  void Run();

 private:
  struct Stored {
    int record;              // in table 44
    std::string contractor;  // the symbol, UTF-8
  };

  void DrawList();
  void RunDocumentDialog();

  Session& session_;
  std::vector<Stored> documents_;
  int nextNumber_ = 5;  // the register holds FS 1 to 4 of the month
};

}  // namespace hostsim::terminal
