// The catalogue is the one source of the module's entries and fallbacks and of
// the simulated host's exports: a call made by the catalogue's convention and
// byte count must come back balanced from all of them.
#include "call_checked.h"
#include "host_binding.h"
#include "host_classes.h"
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
#define HOST_FN(row, ordinal, name, conv, bytes, result, params) {#name, reinterpret_cast<const void*>(&name)},
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

class Catalogue : public kwtest::ModuleCodeTest {};

TEST_F(Catalogue, NamesAndOrdinalsAgreeBetweenModuleAndSimulatedHost) {
  ASSERT_EQ(std::size(kEntries), static_cast<std::size_t>(kw::kHostCatalogueSize));
  for (int row = 0; row < kw::kHostCatalogueSize; ++row) {
    EXPECT_STREQ(kEntries[row].name, hostsim::RowAt(row).name);
    EXPECT_EQ(kw::kHostCatalogue[row].ordinal, hostsim::RowAt(row).ordinal);
    EXPECT_EQ(StackArguments(row).size() * 4 * (kw::kHostCatalogue[row].convention != kw::HostConvention::Cdecl),
              kw::kHostCatalogue[row].calleeBytes)
        << kEntries[row].name;
  }
}

// The data items and the entries taken at attach come from their own tables
// beside the catalogue; here they are written out.
TEST_F(Catalogue, DataItemsAndAttachEntriesAreTheHostsOrdinalsInTheModuleAndTheSimulatedHost) {
  ASSERT_EQ(std::size(kw::kHostDataItems), 2u);
  EXPECT_EQ(kw::kHostDataItems[0].ordinal, 20968);
  EXPECT_STREQ(kw::kHostDataItems[0].name, "HostDialogBaseClassData");
  EXPECT_EQ(kw::kHostDataItems[1].ordinal, 20978);
  EXPECT_STREQ(kw::kHostDataItems[1].name, "HostThunkAllocatorClassData");
  ASSERT_EQ(kw::kHostAttachEntryCount, 2);
  EXPECT_EQ(kw::kHostModuleCallbackEntry.ordinal, 30006);
  EXPECT_STREQ(kw::kHostModuleCallbackEntry.name, "HostModuleCallback");
  EXPECT_EQ(kw::kHostSecondaryCallbackEntry.ordinal, 30007);
  EXPECT_STREQ(kw::kHostSecondaryCallbackEntry.name, "HostSecondaryCallback");
  EXPECT_EQ(kw::kHostCatalogue[0].ordinal, 30018);
  EXPECT_EQ(kw::kHostCatalogue[100].ordinal, 30017);

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
  ASSERT_EQ(hostsim::RowCount(), 103);
  const struct {
    int row;
    uint16_t ordinal;
    const char* name;
  } kAttachRows[] = {{101, 30006, "HostModuleCallback"}, {102, 30007, "HostSecondaryCallback"}};
  for (const auto& expected : kAttachRows) {
    const hostsim::HostRow& row = hostsim::RowAt(expected.row);
    EXPECT_EQ(row.ordinal, expected.ordinal);
    EXPECT_STREQ(row.name, expected.name);
    EXPECT_EQ(row.convention, kw::HostConvention::Cdecl) << expected.name;
    EXPECT_EQ(row.calleeBytes, 0) << expected.name;
    EXPECT_STREQ(row.argumentKinds, "ii") << expected.name;
    host.On(expected.ordinal, [](hostsim::HostCall& call) { return call.Arg(0) + call.Arg(1); });
    const void* entry = reinterpret_cast<const void*>(GetProcAddress(talmer, MAKEINTRESOURCEA(expected.ordinal)));
    ASSERT_NE(entry, nullptr) << expected.name;
    const auto result = CallChecked(entry, Convention::Cdecl, {40, 2});
    EXPECT_EQ(result.value, 42u) << expected.name;
    EXPECT_EQ(result.check.espDelta, 0) << expected.name;
    const auto calls = host.CallsTo(expected.name);
    ASSERT_EQ(calls.size(), 1u) << expected.name;
    EXPECT_EQ(calls[0].row, expected.row);
    EXPECT_EQ(calls[0].ordinal, expected.ordinal);
  }
}

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
  EXPECT_EQ(host.Journal().size(), 0u) << "a left-out function reached the host";
}

}  // namespace
