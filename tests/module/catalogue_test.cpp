// The catalogue is the one source of the module's entries and fallbacks and of
// the simulated host's exports: both must be the host's interface as the
// tests' golden list writes it out, and a call made by the catalogue's
// convention and byte count must come back balanced from all of them.
#include "call_checked.h"
#include "host_binding.h"
#include "host_classes.h"
#include "host_interface_golden.h"
#include "host_rows.h"
#include "test_support.h"

using hostsim::CallChecked;
using hostsim::Convention;

namespace {

struct EntryOf {
  const char* name;
  const void* entry;
};
const EntryOf kEntries[] = {
#define HOST_FN(ordinal, name, conv, bytes, result, params) {#name, reinterpret_cast<const void*>(&name)},
#include "host_catalogue.inc"
#undef HOST_FN
};

Convention ConventionOf(kw::HostConvention convention) {
  switch (convention) {
    case kw::HostConvention::Std: return Convention::Std;
    case kw::HostConvention::This: return Convention::This;
    case kw::HostConvention::Cdecl: return Convention::Cdecl;
  }
  return Convention::Cdecl;
}

// Zero arguments as the catalogue's callers pass them, on the stack.
std::vector<uint32_t> StackArguments(int row) {
  const hostsim::HostRow& info = hostsim::RowAt(row);
  int count = static_cast<int>(std::string_view(info.argumentKinds).size());
  if (info.convention == kw::HostConvention::This && count > 0) --count;
  return std::vector<uint32_t>(count, 0);
}

kwtest::golden::Convention Golden(kw::HostConvention convention) {
  switch (convention) {
    case kw::HostConvention::Std: return kwtest::golden::Convention::Std;
    case kw::HostConvention::This: return kwtest::golden::Convention::This;
    case kw::HostConvention::Cdecl: return kwtest::golden::Convention::Cdecl;
  }
  return kwtest::golden::Convention::Cdecl;
}

class Catalogue : public kwtest::ModuleCodeTest {};

// The module's catalogue and the simulated host's rows, row by row, against the
// host's functions written out in binding order.
TEST_F(Catalogue, ModuleAndSimulatedHostHaveTheHostsFunctionsOfTheGoldenListInBindingOrder) {
  ASSERT_EQ(std::size(kEntries), std::size(kwtest::golden::kHostFunctions));
  ASSERT_EQ(static_cast<std::size_t>(kw::kHostCatalogueSize), std::size(kwtest::golden::kHostFunctions));
  for (int row = 0; row < kw::kHostCatalogueSize; ++row) {
    const kwtest::golden::HostFunction& expected = kwtest::golden::kHostFunctions[row];
    SCOPED_TRACE("row " + std::to_string(row) + ", ordinal " + std::to_string(expected.ordinal));
    EXPECT_STREQ(kEntries[row].name, expected.name);
    EXPECT_EQ(kw::kHostCatalogue[row].ordinal, expected.ordinal);
    EXPECT_EQ(Golden(kw::kHostCatalogue[row].convention), expected.convention);
    EXPECT_EQ(kw::kHostCatalogue[row].calleeBytes, expected.calleeBytes);
    EXPECT_STREQ(hostsim::RowAt(row).name, expected.name);
    EXPECT_EQ(hostsim::RowAt(row).ordinal, expected.ordinal);
    EXPECT_EQ(Golden(hostsim::RowAt(row).convention), expected.convention);
    EXPECT_EQ(hostsim::RowAt(row).calleeBytes, expected.calleeBytes);
  }
}

// The simulated host's row of an entry taken at attach, and a call through the
// relay's entry landing on it with the stack balanced.
void ExpectAttachEntryRow(HMODULE talmer, int rowOfEntry, const kwtest::golden::HostFunction& expected) {
  SCOPED_TRACE("attach entry " + std::to_string(expected.ordinal) + ", row " + std::to_string(rowOfEntry));
  const hostsim::HostRow& row = hostsim::RowAt(rowOfEntry);
  EXPECT_EQ(row.ordinal, expected.ordinal);
  EXPECT_STREQ(row.name, expected.name);
  EXPECT_EQ(Golden(row.convention), expected.convention);
  EXPECT_EQ(row.calleeBytes, expected.calleeBytes);
  EXPECT_STREQ(row.argumentKinds, "ii");
  hostsim::Host& host = hostsim::Host::Get();
  host.On(expected.ordinal, [](hostsim::HostCall& call) { return call.Arg(0) + call.Arg(1); });
  const void* entry = reinterpret_cast<const void*>(GetProcAddress(talmer, MAKEINTRESOURCEA(expected.ordinal)));
  ASSERT_NE(entry, nullptr);
  const auto result = CallChecked(entry, Convention::Cdecl, {40, 2});
  EXPECT_EQ(result.value, 42u);
  EXPECT_EQ(result.check.espDelta, 0);
  const auto calls = host.CallsTo(expected.name);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].row, rowOfEntry);
  EXPECT_EQ(calls[0].ordinal, expected.ordinal);
}

// The data items and the entries taken at attach come from their own tables
// beside the catalogue; the golden list writes them out.
TEST_F(Catalogue, DataItemsAndAttachEntriesAreTheHostsOrdinalsInTheModuleAndTheSimulatedHost) {
  ASSERT_EQ(std::size(kw::kHostDataItems), std::size(kwtest::golden::kHostDataItems));
  for (std::size_t i = 0; i < std::size(kw::kHostDataItems); ++i) {
    SCOPED_TRACE("data item " + std::to_string(i));
    EXPECT_EQ(kw::kHostDataItems[i].ordinal, kwtest::golden::kHostDataItems[i].ordinal);
    EXPECT_STREQ(kw::kHostDataItems[i].name, kwtest::golden::kHostDataItems[i].name);
  }
  ASSERT_EQ(static_cast<std::size_t>(kw::kHostAttachEntryCount), std::size(kwtest::golden::kHostAttachEntries));
  EXPECT_EQ(kw::kHostModuleCallbackEntry.ordinal, kwtest::golden::kHostAttachEntries[0].ordinal);
  EXPECT_STREQ(kw::kHostModuleCallbackEntry.name, kwtest::golden::kHostAttachEntries[0].name);
  EXPECT_EQ(kw::kHostSecondaryCallbackEntry.ordinal, kwtest::golden::kHostAttachEntries[1].ordinal);
  EXPECT_STREQ(kw::kHostSecondaryCallbackEntry.name, kwtest::golden::kHostAttachEntries[1].name);

  // The module's imported cells are the simulated host's exported data.
  const HMODULE talmer = GetModuleHandleA("TALMER.dll");
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(talmer, MAKEINTRESOURCEA(20968))),
            static_cast<void*>(&HostDialogBaseClassData));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(talmer, MAKEINTRESOURCEA(20978))),
            static_cast<void*>(&HostThunkAllocatorClassData));
  EXPECT_EQ(SimClassDataCell(20968), &HostDialogBaseClassData);
  EXPECT_EQ(SimClassDataCell(20978), &HostThunkAllocatorClassData);
  EXPECT_EQ(SimClassDataCell(30006), nullptr);
  EXPECT_EQ(HostDialogBaseClassData, 0x20968u);
  EXPECT_EQ(HostThunkAllocatorClassData, 0x20978u);

  // The simulated host's rows after the catalogue, and its relay's entries
  // landing on them.
  ASSERT_EQ(static_cast<std::size_t>(hostsim::RowCount()),
            std::size(kwtest::golden::kHostFunctions) + std::size(kwtest::golden::kHostAttachEntries));
  for (std::size_t i = 0; i < std::size(kwtest::golden::kHostAttachEntries); ++i) {
    ExpectAttachEntryRow(talmer, kw::kHostCatalogueSize + static_cast<int>(i), kwtest::golden::kHostAttachEntries[i]);
  }
}

// A call with as many arguments as the catalogue's parameters comes back
// balanced: the parameters agree with the bytes the golden list gives.
TEST_F(Catalogue, EverySimulatedHostEntryRemovesTheCataloguesBytes) {
  const HMODULE talmer = GetModuleHandleA("TALMER.dll");
  for (int row = 0; row < hostsim::RowCount(); ++row) host.On(hostsim::RowAt(row).ordinal, nullptr);
  for (int row = 0; row < hostsim::RowCount(); ++row) {
    const hostsim::HostRow& info = hostsim::RowAt(row);
    const void* entry = reinterpret_cast<const void*>(GetProcAddress(talmer, MAKEINTRESOURCEA(info.ordinal)));
    ASSERT_NE(entry, nullptr) << info.name;
    const auto result = CallChecked(entry, ConventionOf(info.convention), StackArguments(row));
    EXPECT_EQ(result.check.espDelta, 0) << info.name;
  }
}

TEST_F(Catalogue, EveryHostFunctionLeftOutAndIgnoredLeavesItsCallerIntact) {
  kw::IgnoreBindFailures = 1;  // the answer Ignore, given once before
  for (int row = 0; row < kw::kHostCatalogueSize; ++row) {
    const kw::CatalogueRow& function = kw::kHostCatalogue[row];
    host.Omit(function.ordinal);
    KwHostSlots[row] = KwFirstCallEntries[row];
    const auto result = CallChecked(kEntries[row].entry, ConventionOf(function.convention), StackArguments(row));
    EXPECT_EQ(result.value, 0u) << function.name;
    EXPECT_EQ(result.check.espDelta, 0) << function.name;
    EXPECT_NE(KwHostSlots[row], KwFirstCallEntries[row]) << function.name;
  }
  EXPECT_THAT(boxes.Shown(), ::testing::IsEmpty());
  EXPECT_EQ(host.Calls().size(), 0u) << "a left-out function reached the host";
}

}  // namespace
