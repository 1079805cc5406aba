// A small shop in the simulated host, and what its people do: the data the
// demo and the end-to-end tests share. Contractors (a customer and TMO, the
// owner of goods sold on consignment), warehouses 1 (own goods) and 3 (goods
// of others), a sales document entered in the host's document dialog, and the
// JPK register with the entries of the month.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host.h"
#include "host_dialog_codes.h"
#include "host_records.h"
#include "plugin_module.h"

namespace hostsim {

class SimCommands;
class SimDocuments;
class SimJpkRegister;
class SimTables;

inline constexpr int kSalesDocumentKind = 24;
inline constexpr int kDocumentDialogEvent = 815;
inline constexpr int kAcceptanceEvent = 1664;
inline constexpr int kJpkCleanupEvent = 231;
using kw::kDialogCancel;
using kw::kDialogOk;
inline constexpr int32_t kTmoNumber = 4711;
inline constexpr uint16_t kTmoTerms = 0x0200;  // settled in parts: the amounts are recomputed

struct SaleLine {
  int warehouse;
  std::string goods;  // UTF-8, for the people reading the demo
};

class ExampleShop {
 public:
  explicit ExampleShop(Host& host);

  void AddContractors();
  // Register entries of the month: two of TMO, two of other contractors.
  void AddRegisterEntries();

  // The user opens the host's document dialog, enters a sales document of the
  // kind given with these lines, accepts it (the host stores it) and closes
  // the dialog. Answers the table-44 record the host stored.
  void OpenDocumentDialog();
  int EnterAndAccept(const std::string& number, int kind, const std::vector<SaleLine>& lines, double total);
  // The same in steps, for hosts that store and end otherwise: the document
  // typed into table 44's buffer (its bytes), the OK reported, the record in
  // hand stored (its record).
  std::string Enter(const std::string& number, int kind, const std::vector<SaleLine>& lines, double total);
  void ReportAcceptance();
  int StoreInHand();
  void CloseDocumentDialog();

  const kw::DocRecord& StoredDocument(int record) const;
  // The host works on its JPK register: event 231 on table 400.
  void WorkOnJpkRegister();
  std::vector<std::string> RegisterList() const;  // document numbers of the listed entries, UTF-8

 private:
  Host& host_;
  SimTables& tables_;
  SimDocuments& documents_;
  SimCommands& commands_;
  SimJpkRegister& jpk_;
  int32_t nextLinkId_ = 100;
};

// "FS 1/12/2026"-style texts of a document, in UTF-8.
std::string DescribeDocument(const kw::DocRecord& document);

}  // namespace hostsim
