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

  // The document being entered in the dialog.
  struct Draft {
    std::vector<int> picked;  // the goods of its lines
    double total = 0.0;
    int chosen = 0;            // the goods the cursor is on
    std::string lastAccepted;  // what the dialog says about the document accepted last
  };

  void DrawList();
  void RunDocumentDialog();
  void DrawDocumentDialog(const Draft& draft, const std::string& number);
  // F12: the document is entered and accepted (the module may give it to
  // another contractor), and the next one starts empty.
  void Accept(Draft& draft, const std::string& number);

  Session& session_;
  std::vector<Stored> documents_;
  int nextNumber_ = 5;  // the register holds FS 1 to 4 of the month
};

}  // namespace hostsim::terminal
