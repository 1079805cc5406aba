// The module's own share of the time and its memory allocations on its two
// long paths, driven through the DLL as built: the conversion of the marked
// documents when a document dialog ends (event 815), and the cleanup of TMO's
// entries from the JPK register (event 231 on table 400). The simulated host
// counts the time spent inside its own functions, so that one run gives
// total/host; it keeps no call log here, so that it answers as fast as it can.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "allocation_counter.h"
#include "example_shop.h"
#include "host.h"
#include "host_defaults.h"
#include "host_time.h"
#include "plugin_module.h"
#include "sim_commands.h"
#include "sim_files.h"
#include "sim_installation.h"
#include "sim_jpk_register.h"
#include "sim_tables.h"

using namespace hostsim;

namespace {

constexpr int kLinesPerDocument = 5;
constexpr int kSizes[] = {1000, 10000, 100000};
constexpr int kRuns = 3;  // the fastest run of each is printed

struct Step {
  std::function<void()> prepare;      // the host's data, before the module is loaded
  std::function<void()> before;       // after registration, not timed
  std::function<void()> timed;        // the host raises the event
  std::function<std::string()> check; // what became of the data
};

struct Figures {
  double totalSeconds;
  double hostSeconds;
  AllocationCounts allocations;
  std::string outcome;
};

Figures Measure(const Step& step) {
  Host& host = Host::Get();
  host.Reset();
  InstallDefaultHandlers(host);
  host.KeepCalls(false);
  ExampleShop(host).AddContractors();
  std::string config(202, '\0');
  config[6] = 1;  // warehouse 3 holds goods of others
  host.Use<SimFiles>().Write("komis.cfg", config);
  step.prepare();

  PluginModule module;
  if (!module.Load() || module.Install(SimInstallation::InstallCallback(), nullptr) != 0 || module.Register(0) != 0) {
    std::fprintf(stderr, "the module did not load, install and register\n");
    std::exit(1);
  }
  AllocationCounter::Install(module.handle());
  step.before();

  AllocationCounter::Clear();
  const uint64_t hostBefore = HostTicks();
  const uint64_t start = CounterTicks();
  {
    // The host raises the event; only what runs inside the module's call
    // (less the host functions it calls) is the module's.
    const HostTimeScope inHost(true);
    step.timed();
  }
  const uint64_t total = CounterTicks() - start;
  const uint64_t inHost = HostTicks() - hostBefore;
  const AllocationCounts counts = AllocationCounter::Counts();
  std::string outcome = step.check();

  module.Install(nullptr, nullptr);
  module.Unload();
  for (const std::string& fault : host.Faults()) std::fprintf(stderr, "host fault: %s\n", fault.c_str());
  const double perSecond = CounterTicksPerSecond();
  return {static_cast<double>(total) / perSecond, static_cast<double>(inHost) / perSecond, counts, outcome};
}

// Documents in table 44, a third of them marked, each with its item lines in table 45.
Step Conversion(int documents) {
  Host& host = Host::Get();
  Step step;
  step.prepare = [&host, documents] {
    auto& tables = host.Use<SimTables>();
    for (int i = 0; i < documents; ++i) {
      kw::DocRecord document{};
      std::snprintf(document.DocAltNumber, sizeof document.DocAltNumber, "FS %d/12", i + 1);
      if (i % 3 == 0) {
        std::strcpy(document.DocNumber, ".");
        std::strcpy(document.DocNote, "Wtyczka Kalwestrowka");
        document.ConversionPending = 1;
      } else {
        std::strcpy(document.DocNumber, document.DocAltNumber);
      }
      document.TotalAmount = 100.0 + i;
      document.DocLinkId = i + 1;
      tables.AddRecord(44, std::string(reinterpret_cast<const char*>(&document), sizeof document), {24});
      for (int line = 0; line < kLinesPerDocument; ++line) {
        tables.AddRecord(45, std::string(kw::kItemRecordLength, '\0'), {KeyRef(68, i + 1)});
      }
    }
  };
  // The dialog opens (the module makes its object); its end is timed.
  step.before = [&host] { host.Use<SimCommands>().Raise(kDocumentDialogEvent, 0x4151, -2); };
  step.timed = [&host] { host.Use<SimCommands>().Raise(kDocumentDialogEvent, kDialogOk, 2); };
  step.check = [&host, documents] {
    auto& tables = host.Use<SimTables>();
    int converted = 0, marked = 0;
    for (int i = 0; i < documents; ++i) {
      const auto* document = reinterpret_cast<const kw::DocRecord*>(tables.Record(44, i).data());
      if (document->ConversionPending) ++marked;
      if (document->DocFlags & 0x400) ++converted;
    }
    return std::to_string(converted) + " converted, " + std::to_string(marked) + " still marked";
  };
  return step;
}

// Register entries, a tenth of them TMO's, all in the list the host hands over.
Step RegisterPass(int entries) {
  Host& host = Host::Get();
  Step step;
  step.prepare = [&host, entries] {
    auto& jpk = host.Use<SimJpkRegister>();
    std::vector<int> list;
    list.reserve(entries);
    for (int i = 0; i < entries; ++i) {
      const std::string number = "FS " + std::to_string(i + 1) + "/12";
      list.push_back(i % 10 == 0
                         ? jpk.AddEntry(number, kTmoNumber, "Towary Mazowieckie Obce sp. z o.o.", "ul. Łąkowa 5, Kraków")
                         : jpk.AddEntry(number, 17, "Jan Kowalski", "ul. Polna 1, Radom"));
    }
    jpk.SetList(list);
  };
  step.before = [] {};
  step.timed = [&host] { host.Use<SimJpkRegister>().RaiseEvent(kJpkCleanupEvent); };
  step.check = [&host] { return std::to_string(host.Use<SimJpkRegister>().Count()) + " entries left"; };
  return step;
}

Figures Fastest(Step (*make)(int), int size) {
  Figures best = Measure(make(size));
  for (int run = 1; run < kRuns; ++run) {
    Figures again = Measure(make(size));
    if (again.totalSeconds < best.totalSeconds) best = again;
  }
  return best;
}

void Print(const char* path, int size, const Figures& f) {
  const double moduleSeconds = f.totalSeconds - f.hostSeconds;
  std::printf("%-11s %7d %10.2f %10.2f %10.2f %10.3f %13.4f %6d/%-6d %s\n", path, size, f.totalSeconds * 1e3,
              f.hostSeconds * 1e3, f.totalSeconds / f.hostSeconds, f.totalSeconds * 1e6 / size,
              moduleSeconds * 1e6 / size, f.allocations.allocations, f.allocations.releases, f.outcome.c_str());
  std::fflush(stdout);
}

}  // namespace

int main() {
  std::printf("The module's share, through Kalwestrowka.dll as built; conversion: documents, a third of them\n"
              "marked, %d item lines each; register: entries, a tenth of them TMO's; fastest of %d runs\n",
              kLinesPerDocument, kRuns);
  std::printf("%-11s %7s %10s %10s %10s %10s %13s %13s %s\n", "path", "size", "total ms", "host ms", "total/host",
              "us/doc", "module us/doc", "alloc/free", "outcome");
  for (const int size : kSizes) Print("conversion", size, Fastest(&Conversion, size));
  for (const int size : kSizes) Print("register", size, Fastest(&RegisterPass, size));
  return 0;
}
