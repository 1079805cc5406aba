#include "example_shop.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim_commands.h"
#include "sim_documents.h"
#include "sim_jpk_register.h"
#include "sim_tables.h"
#include "text_codec.h"

namespace hostsim {

namespace {

const char* const kTmoName = "Towary Mazowieckie Obce sp. z o.o.";
const char* const kTmoAddress = "ul. Łąkowa 5, Kraków";

}  // namespace

ExampleShop::ExampleShop(Host& host)
    : host_(host),
      tables_(host.Use<SimTables>()),
      documents_(host.Use<SimDocuments>()),
      commands_(host.Use<SimCommands>()),
      jpk_(host.Use<SimJpkRegister>()) {}

void ExampleShop::AddContractors() {
  auto add = [&](const char* symbol, int32_t number, const char* name, const char* address, uint16_t terms) {
    const int index = tables_.AddContractor(symbol, {6});
    auto* record = reinterpret_cast<kw::ContractorRecord*>(tables_.Record(35, index).data());
    record->ContrNumber = number;
    PutMazovia(record->ContrText1, name);
    PutMazovia(record->ContrText2, address);
    record->ContrTermsWord = terms;
    record->ContrTermsAux = 0x0007;
  };
  add("KOWALSKI", 17, "Jan Kowalski", "ul. Polna 1, Radom", 0x0000);
  add("TMO", kTmoNumber, kTmoName, kTmoAddress, kTmoTerms);
}

void ExampleShop::AddRegisterEntries() {
  const int a = jpk_.AddEntry("FS 1/12/2026", 17, "Jan Kowalski", "ul. Polna 1, Radom");
  const int b = jpk_.AddEntry("FS 2/12/2026", kTmoNumber, kTmoName, kTmoAddress);
  const int c = jpk_.AddEntry("FS 3/12/2026", kTmoNumber, kTmoName, kTmoAddress);
  const int d = jpk_.AddEntry("FS 4/12/2026", 17, "Jan Kowalski", "ul. Polna 1, Radom");
  jpk_.SetList({a, b, c, d});
}

void ExampleShop::OpenDocumentDialog() { commands_.Raise(kDocumentDialogEvent, kw::kDocumentDialogOpen, kw::kPhaseOpen); }

int ExampleShop::EnterAndAccept(const std::string& number, int kind, const std::vector<SaleLine>& lines,
                                double total) {
  Enter(number, kind, lines, total);
  ReportAcceptance();
  return StoreInHand();
}

std::string ExampleShop::Enter(const std::string& number, int kind, const std::vector<SaleLine>& lines,
                               double total) {
  // The document as the user typed it, current in table 44's buffer.
  kw::DocRecord document{};
  PutMazovia(document.DocNumber, number);
  PutMazovia(document.DocAltNumber, number);
  document.TotalAmount = total;
  document.AddAmount = 0.0;
  document.DeductAmount = 0.0;
  document.SettledAmount = total;
  document.BalanceAmount = total;
  document.DocLinkId = nextLinkId_++;
  std::memcpy(tables_.RecordBuffer(44), &document, sizeof document);
  documents_.SetDocKind(kind);
  documents_.ClearItemLines();
  for (const SaleLine& line : lines) {
    documents_.AddItemLine(line.warehouse);
    tables_.AddRecord(45, std::string(kw::kItemRecordLength, '\0'), {KeyRef(68, document.DocLinkId)});
  }
  return std::string(reinterpret_cast<const char*>(&document), sizeof document);
}

// OK in the dialog: the host reports the acceptance.
void ExampleShop::ReportAcceptance() {
  commands_.Raise(kDocumentDialogEvent, kDialogOk, 1);
  commands_.Raise(kAcceptanceEvent, kDialogOk, 1);
}

int ExampleShop::StoreInHand() {
  const auto* buffer = reinterpret_cast<const char*>(tables_.RecordBuffer(44));
  return tables_.AddRecord(44, std::string(buffer, kw::kDocRecordLength), {24});
}

void ExampleShop::CloseDocumentDialog() { commands_.Raise(kDocumentDialogEvent, kDialogOk, kw::kPhaseClose); }

const kw::DocRecord& ExampleShop::StoredDocument(int record) const {
  return *reinterpret_cast<const kw::DocRecord*>(tables_.Record(44, record).data());
}

void ExampleShop::WorkOnJpkRegister() { jpk_.RaiseEvent(kJpkCleanupEvent); }

std::vector<std::string> ExampleShop::RegisterList() const {
  std::vector<std::string> numbers;
  for (const int entry : jpk_.List()) {
    const auto* record = reinterpret_cast<const kw::JpkRecord*>(tables_.Record(400, entry - 1).data());
    numbers.push_back(MazoviaToUtf8(record->JpkDocNumber));
  }
  return numbers;
}

std::string DescribeDocument(const kw::DocRecord& document) {
  char amounts[160];
  std::snprintf(amounts, sizeof amounts, "flagi 0x%04X, warunki 0x%04X/0x%04X, saldo %.2f, rozliczono %.2f",
                document.DocFlags, document.TermsWord, document.TermsAux, document.BalanceAmount,
                document.SettledAmount);
  return "nr \"" + MazoviaToUtf8(document.DocNumber) + "\", uwagi \"" + MazoviaToUtf8(document.DocNote) + "\", " +
         amounts + (document.ConversionPending ? ", czeka na zamianę" : "");
}

}  // namespace hostsim
