// The JPK register cases: the contractor TMO with the number and texts that its
// register entries carry, other contractors' entries, and the module's
// table-handler state cleared for each case.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "compatibility.h"
#include "host_records.h"
#include "jpk_table_hook.h"
#include "sim_jpk_register.h"
#include "sim_messages.h"
#include "sim_tables.h"
#include "test_support.h"

namespace kwtest {

inline constexpr int32_t kTmoNumber = 4711;
inline const std::string kTmoText1 = "Towary Mazowieckie Obce sp. z o.o.";
inline const std::string kTmoText2 = "ul. Łąkowa 5, Kraków";

class JpkRegisterTest : public ModuleCodeTest {
 protected:
  void SetUp() override {
    ModuleCodeTest::SetUp();
    // What an earlier case in this process may have left.
    kw::JpkTable = nullptr;
    kw::PrevJpkHandler = nullptr;
    kw::SizeMismatchList = nullptr;
  }

  // The contractor TMO, reached by the lookup's first key.
  int AddTmo() {
    const int index = tables.AddContractor("TMO", {6});
    auto* tmo = reinterpret_cast<kw::ContractorRecord*>(tables.Record(35, index).data());
    tmo->ContrNumber = kTmoNumber;
    hostsim::PutMazovia(tmo->ContrText1, kTmoText1);
    hostsim::PutMazovia(tmo->ContrText2, kTmoText2);
    return index;
  }
  // TMO as the current contractor record, as the lookup leaves it.
  void MakeTmoCurrent() { tables.MakeCurrent(35, AddTmo()); }

  int AddTmoEntry(const std::string& docNumber) {
    return jpk.AddEntry(docNumber, kTmoNumber, kTmoText1, kTmoText2);
  }
  int AddOtherEntry(const std::string& docNumber) {
    return jpk.AddEntry(docNumber, 17, "Hurtownia Zbyszko", "ul. Polna 1, Radom");
  }

  // The positions HostReadSelected was asked for, in order.
  std::vector<int> ReadPositions() const {
    std::vector<int> positions;
    for (const auto& call : host.CallsTo("HostReadSelected")) positions.push_back(static_cast<int>(call.args[1]));
    return positions;
  }
  // The host functions called, in order, from the first call of `from` on.
  std::vector<std::string> CallsFrom(const std::string& from) const {
    std::vector<std::string> names;
    for (const auto& entry : host.Calls()) {
      if (names.empty() && entry.name != from) continue;
      names.push_back(entry.name);
    }
    return names;
  }

  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
  hostsim::SimJpkRegister& jpk = host.Use<hostsim::SimJpkRegister>();
};

}  // namespace kwtest
