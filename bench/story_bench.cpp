// Prints what the two long operations cost as the data grows: converting the
// marked documents at the end of a document dialog, and deleting TMO's
// entries from the JPK register. The simulated host's own work is included.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "example_shop.h"
#include "host.h"
#include "jpk_cleanup.h"
#include "komis.h"
#include "raw_attach.h"
#include "sim_jpk_register.h"
#include "sim_tables.h"

namespace {

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Conversion(int documents) {
  hostsim::Host& host = hostsim::Host::Get();
  host.Reset();
  hostsim::ExampleShop(host).AddContractors();
  auto& tables = host.Use<hostsim::SimTables>();
  for (int i = 0; i < documents; ++i) {
    kw::DocRecord document{};
    std::strcpy(document.DocNumber, ".");
    std::snprintf(document.DocAltNumber, sizeof document.DocAltNumber, "FS %d/12", i);
    std::strcpy(document.DocNote, "Wtyczka Kalwestrowka");
    document.ConversionPending = 1;
    document.DocLinkId = i;
    tables.AddRecord(44, std::string(reinterpret_cast<const char*>(&document), sizeof document), {24});
    for (int line = 0; line < 3; ++line) tables.AddRecord(45, "", {hostsim::KeyRef(68, i)});
  }
  kw::CSprKomis* komis = kw::CreateKomis();
  const double start = Seconds();
  komis->ConvertDocuments();
  const double took = Seconds() - start;
  kw::DestroyKomis(komis);
  std::printf("conversion of %5d marked documents (3 lines each): %8.2f ms, %zu host calls\n", documents,
              took * 1e3, host.Journal().size());
}

void RegisterCleanup(int entries) {
  hostsim::Host& host = hostsim::Host::Get();
  host.Reset();
  hostsim::ExampleShop shop(host);
  shop.AddContractors();
  auto& jpk = host.Use<hostsim::SimJpkRegister>();
  auto& tables = host.Use<hostsim::SimTables>();
  tables.MakeCurrent(35, 1);  // TMO, the second contractor of the shop
  const auto* tmo = reinterpret_cast<const kw::ContractorRecord*>(tables.Record(35, 1).data());
  std::vector<int> list;
  for (int i = 0; i < entries; ++i) {
    list.push_back(i % 2 ? jpk.AddEntry("FS", tmo->ContrNumber, "Towary Mazowieckie Obce sp. z o.o.",
                                        "ul. Łąkowa 5, Kraków")
                         : jpk.AddEntry("FS", 17, "Jan Kowalski", "ul. Polna 1, Radom"));
  }
  jpk.SetList(list);
  const double start = Seconds();
  kw::UsunKalwestrowkaZ_JPK(jpk.Selection(), jpk.View(), jpk.CountCell(), jpk.Array(), tables.Find(400));
  const double took = Seconds() - start;
  std::printf("register cleanup of %5d entries, half of them TMO's:  %8.2f ms, %d left\n", entries, took * 1e3,
              jpk.Count());
}

}  // namespace

int main() {
  kw::AttachHostLibrary();
  for (const int n : {100, 1000, 5000}) Conversion(n);
  for (const int n : {100, 1000, 5000}) RegisterCleanup(n);
  return 0;
}
