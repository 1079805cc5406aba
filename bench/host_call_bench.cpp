// Prints what a host call costs through the module's entry and slot, and what
// the contractor lookup costs over contractor tables of growing size.
#include <windows.h>

#include <cstdio>

#include "contractor_lookup.h"
#include "frame_block.h"
#include "host.h"
#include "host_defaults.h"
#include "host_binding.h"
#include "host_catalogue.h"
#include "raw_attach.h"
#include "sim_tables.h"

namespace {

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

using RefreshFn = int __stdcall();

void EntryCost() {
  constexpr int kCalls = 20'000'000;
  const int row = kw::CatalogueRowOf(37996);  // HostRefreshDisplay, no arguments
  KwHostSlots[row] = const_cast<void*>(kw::ModuleFrame.returnZeroStubs[0]);
  auto* direct = reinterpret_cast<RefreshFn*>(const_cast<void*>(kw::ModuleFrame.returnZeroStubs[0]));
  RefreshFn* volatile throughEntry = &HostRefreshDisplay;
  RefreshFn* volatile plain = direct;

  double start = Seconds();
  for (int i = 0; i < kCalls; ++i) plain();
  const double directTime = Seconds() - start;
  start = Seconds();
  for (int i = 0; i < kCalls; ++i) throughEntry();
  const double entryTime = Seconds() - start;
  std::printf("host call, direct:               %6.2f ns\n", directTime * 1e9 / kCalls);
  std::printf("host call, through entry + slot: %6.2f ns\n", entryTime * 1e9 / kCalls);
}

void LookupCost() {
  hostsim::Host& host = hostsim::Host::Get();
  for (const int contractors : {100, 1000, 10000}) {
    host.Reset();
    hostsim::InstallDefaultHandlers(host);
    auto& tables = host.Use<hostsim::SimTables>();
    for (int i = 0; i < contractors - 1; ++i) tables.AddContractor("K" + std::to_string(i), {6});
    tables.AddContractor("TMO", {6});
    constexpr int kRuns = 5;
    const double start = Seconds();
    for (int run = 0; run < kRuns; ++run) {
      kw::WyszukajKontrPoSymbolu("TMO", 3);
      host.ClearCalls();
    }
    std::printf("lookup of TMO as the last of %5d contractors: %8.3f ms (simulated host included)\n", contractors,
                (Seconds() - start) * 1e3 / kRuns);
  }
}

}  // namespace

int main() {
  kw::AttachHostLibrary();
  EntryCost();
  LookupCost();
  return 0;
}
