#include "document_screen.h"

#include <cstdio>

#include "sim_documents.h"
#include "text_codec.h"

namespace hostsim::terminal {

namespace {

struct Goods {
  const char* name;
  int warehouse;
  double price;
};
const Goods kGoods[] = {
    {"kawa", 1, 45.50},
    {"herbata", 1, 12.00},
    {"obraz olejny", 3, 1184.50},
    {"rzeźba z drewna", 3, 640.00},
};
constexpr int kGoodsCount = static_cast<int>(sizeof kGoods / sizeof kGoods[0]);
constexpr std::size_t kMaxLines = 8;
constexpr uint16_t kConvertedFlag = 0x400;  // DocFlags of a converted document

const char* const kCustomer = "KOWALSKI";
const char* const kCustomerName = "Jan Kowalski";

std::string Money(double amount) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", amount);
  return text;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

// The text right-aligned in a field of the width.
std::string Right(const std::string& text, int width) {
  return std::string(std::max(width - Width(text), 0), ' ') + text;
}

}  // namespace

void DocumentScreen::Run() {
  for (;;) {
    DrawList();
    const Key key = session_.keyboard.Read();
    if (key.name == KeyName::Escape) return;
    if (key.IsFunction(2)) RunDocumentDialog();
  }
}

void DocumentScreen::DrawList() {
  Screen& screen = session_.screen;
  session_.Desk("Dokumenty sprzedaży", {{"F2", "Nowa faktura"}, {"Esc", "Powrót"}});
  screen.Text(1, 2, "Numer         Kontrahent Flagi  Warunki            Saldo  Rozliczono Stan", kDeskHighlight);
  int row = 3;
  for (const Stored& stored : documents_) {
    const kw::DocRecord& document = session_.shop.StoredDocument(stored.record);
    const std::string state = document.ConversionPending ? "czeka" : (document.DocFlags & kConvertedFlag ? "zamieniony" : "");
    screen.Text(1, row, MazoviaToUtf8(document.DocNumber), kDesk, 13);
    screen.Text(15, row, stored.contractor, kDesk, 10);
    screen.Text(26, row, Hex(document.DocFlags), kDesk);
    screen.Text(33, row, Hex(document.TermsWord) + "/" + Hex(document.TermsAux), kDesk);
    screen.Text(47, row, Right(Money(document.BalanceAmount), 10), kDesk);
    screen.Text(58, row, Right(Money(document.SettledAmount), 11), kDesk);
    screen.Text(70, row, state, kDesk, 10);
    ++row;
  }
  if (documents_.empty()) screen.Text(1, row, "Brak dokumentów. F2 otwiera okno nowej faktury.", kDesk);
}

void DocumentScreen::RunDocumentDialog() {
  session_.shop.OpenDocumentDialog();
  session_.ShowNewFaults();
  Draft draft;
  for (;;) {
    const std::string number = "FS " + std::to_string(nextNumber_) + "/12/2026";
    DrawDocumentDialog(draft, number);
    const Key key = session_.keyboard.Read();
    if (key.name == KeyName::Up) draft.chosen = (draft.chosen + kGoodsCount - 1) % kGoodsCount;
    if (key.name == KeyName::Down) draft.chosen = (draft.chosen + 1) % kGoodsCount;
    if (key.name == KeyName::Enter && draft.picked.size() < kMaxLines) {
      draft.picked.push_back(draft.chosen);
      draft.total += kGoods[draft.chosen].price;
    }
    if (key.IsFunction(12) && !draft.picked.empty()) Accept(draft, number);
    if (key.name == KeyName::Escape) break;
  }
  session_.shop.CloseDocumentDialog();
  session_.ShowNewFaults();
}

void DocumentScreen::DrawDocumentDialog(const Draft& draft, const std::string& number) {
  Screen& screen = session_.screen;
  session_.Desk("Faktura sprzedaży", {{"↑↓", "Towar"}, {"Enter", "Dodaj pozycję"}, {"F12", "Zatwierdź"},
                                      {"Esc", "Zamknij okno"}});
  screen.Window({0, 1, kColumns, kRows - 2}, "Faktura sprzedaży (rodzaj 24)", kWindow);
  screen.Text(2, 2, "Numer: " + number, kWindow);
  screen.Text(28, 2, std::string("Kontrahent: ") + kCustomer + " (" + kCustomerName + ")", kWindow);
  screen.Text(2, 4, "Lp  Towar                     Magazyn        Kwota", kWindowHighlight);
  for (std::size_t i = 0; i < draft.picked.size(); ++i) {
    const Goods& goods = kGoods[draft.picked[i]];
    screen.Text(2, 5 + static_cast<int>(i), std::to_string(i + 1) + ".", kWindow);
    screen.Text(6, 5 + static_cast<int>(i), goods.name, kWindow);
    screen.Text(32, 5 + static_cast<int>(i), std::to_string(goods.warehouse), kWindow);
    screen.Text(41, 5 + static_cast<int>(i), Right(Money(goods.price), 10), kWindow);
  }
  screen.Text(2, 14, "Razem: " + Money(draft.total), kWindowHighlight);
  screen.Text(2, 16, "Towary (Enter dodaje pozycję):", kWindowHighlight);
  for (int i = 0; i < kGoodsCount; ++i) {
    const std::string entry = std::string(kGoods[i].name) + "  mag. " + std::to_string(kGoods[i].warehouse) + "  " +
                              Money(kGoods[i].price);
    screen.Fill({4, 17 + i, 40, 1}, i == draft.chosen ? kSelected : kWindow);
    screen.Text(5, 17 + i, entry, i == draft.chosen ? kSelected : kWindow);
  }
  if (!draft.lastAccepted.empty()) screen.Text(30, 14, draft.lastAccepted, kWindowHighlight, 48);
}

void DocumentScreen::Accept(Draft& draft, const std::string& number) {
  auto& assignments = session_.host.Use<SimDocuments>().Assignments();
  std::vector<SaleLine> lines;
  for (const int goods : draft.picked) lines.push_back({kGoods[goods].warehouse, kGoods[goods].name});
  const std::size_t assignedBefore = assignments.size();
  const int record = session_.shop.EnterAndAccept(number, kSalesDocumentKind, lines, draft.total);
  const std::string contractor =
      assignments.size() > assignedBefore ? MazoviaToUtf8(assignments.back().contractorSymbol) : kCustomer;
  documents_.push_back({record, contractor});
  session_.ShowNewFaults();
  draft.lastAccepted = "Zatwierdzono " + number + " (" + contractor + ")";
  draft.picked.clear();
  draft.total = 0.0;
  ++nextNumber_;
}

}  // namespace hostsim::terminal
