// The binding machinery on its own: the module's code linked into the test
// program, bound against the simulated TALMER.dll.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "call_checked.h"
#include "frame_block.h"
#include "host_binding.h"
#include "lookup_counter.h"
#include "module_state.h"
#include "plugin_module.h"
#include "raw_attach.h"
#include "test_support.h"

using hostsim::CallChecked;
using hostsim::Convention;

namespace {

const void* Stub(int index) { return kw::ModuleFrame.returnZeroStubs[index]; }

kw::HostSlot Fallback(const char* entry) {
  kw::HostSlot slot = reinterpret_cast<kw::HostSlot>(1);
  kw::PickFallbackStub(entry, &slot);
  return slot;
}
kw::HostSlot Fallback(int ordinal) { return Fallback(MAKEINTRESOURCEA(ordinal)); }

TEST(PickFallbackStub, ReadsTheArgumentBytesFromTheOrdinalsLastTwoDigits) {
  EXPECT_EQ(Fallback(52099), kw::ReturnZeroCdecl());
  EXPECT_EQ(Fallback(52256), Stub(14));
  EXPECT_EQ(Fallback(32300), Stub(0));
  EXPECT_EQ(Fallback(52308), Stub(2));
  EXPECT_EQ(Fallback(52029), nullptr);  // not a multiple of 4
  EXPECT_EQ(Fallback(52064), nullptr);  // more than 56
}

TEST(PickFallbackStub, ReadsTheNumberAfterTheLastAtSignOfAName) {
  EXPECT_EQ(Fallback("Something@12"), Stub(3));
  EXPECT_EQ(Fallback("Something@13"), Stub(3));
  EXPECT_EQ(Fallback("Some@thing@8"), Stub(2));
  EXPECT_EQ(Fallback("Something@60"), nullptr);
  EXPECT_EQ(Fallback("Something@99999999999"), nullptr);
  EXPECT_EQ(Fallback("Something"), kw::ReturnZeroCdecl());
  EXPECT_EQ(Fallback("Something@x12"), kw::ReturnZeroCdecl());
  EXPECT_EQ(Fallback("Something@"), kw::ReturnZeroCdecl());
  EXPECT_EQ(Fallback("Something@-4"), kw::ReturnZeroCdecl());
}

TEST(ReturnZeroStubs, EachReturnsZeroAndRemovesFourBytesPerIndex) {
  for (int index = 0; index < kw::kReturnZeroStubCount; ++index) {
    const std::vector<uint32_t> args(index, 0xABCD);
    const auto result = CallChecked(Stub(index), index == 0 ? Convention::Cdecl : Convention::Std, args);
    EXPECT_EQ(result.value, 0u) << "stub " << index;
    EXPECT_EQ(result.check.espDelta, 0) << "stub " << index;
  }
}

TEST(FileNameOfPath, TakesTheLastBackslashThenTheLastSlash) {
  EXPECT_STREQ(kw::FileNameOfPath("C:\\A\\B/Kalwestrowka.dll"), "Kalwestrowka.dll");
  EXPECT_STREQ(kw::FileNameOfPath("C:/A/B\\Kalwestrowka.dll"), "Kalwestrowka.dll");
  EXPECT_STREQ(kw::FileNameOfPath("Kalwestrowka.dll"), "Kalwestrowka.dll");
  EXPECT_STREQ(kw::FileNameOfPath("C:\\A\\"), "");
  EXPECT_STREQ(kw::FileNameOfPath(""), "");
}

TEST(RawAttachHook, OnlyProcessAttachChangesTheModuleState) {
  const HINSTANCE handle = kw::ModuleHandle;
  const char* fileName = kw::ModuleFileName;
  for (const DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, DLL_PROCESS_DETACH}) {
    SCOPED_TRACE("reason " + std::to_string(reason));
    EXPECT_TRUE(kw::RawAttachHook(reinterpret_cast<HINSTANCE>(0x12340000), reason, nullptr));
    EXPECT_EQ(kw::ModuleHandle, handle);
    EXPECT_EQ(kw::ModuleFileName, fileName);
  }
  EXPECT_TRUE(kw::RawAttachHook(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr));
  EXPECT_EQ(kw::ModuleHandle, GetModuleHandleA(nullptr));
  EXPECT_STREQ(kw::ModuleFileName, "host_binding_test.exe");
  EXPECT_EQ(kw::ModuleFileName, kw::ModulePath + std::strlen(kw::ModulePath) - std::strlen("host_binding_test.exe"));
}

class Binding : public kwtest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    kw::AttachHostLibrary();
    kw::IgnoreBindFailures = 0;
  }
  // Puts a slot back to its first-call entry, as at load.
  static void Unbind(uint16_t ordinal) {
    const int row = kw::CatalogueRowOf(ordinal);
    KwHostSlots[row] = KwFirstCallEntries[row];
  }
};

TEST_F(Binding, AttachingTwiceLooksTheHostLibraryUpOnce) {
  auto& lookups = hostsim::LookupCounter::Intercept();
  lookups.Clear();
  const HMODULE talmer = kw::HostModule;
  kw::HostModule = nullptr;
  kw::AttachHostLibrary();
  kw::AttachHostLibrary();
  EXPECT_EQ(lookups.ModuleLookupsOf("TALMER"), 1);
  EXPECT_EQ(kw::HostModule, talmer);
  EXPECT_EQ(kw::ModuleFrame.secondaryCallback1, kw::ModuleFrame.secondaryCallback2);
  EXPECT_EQ(reinterpret_cast<void*>(kw::ModuleFrame.secondaryCallback1),
            reinterpret_cast<void*>(GetProcAddress(talmer, MAKEINTRESOURCEA(30007))));
}

TEST_F(Binding, FirstCallEntryHandsRegistersArgumentsAndReturnAddressOnUntouched) {
  Unbind(52407);
  host.On("HostAppendLog", [](hostsim::HostCall&) -> uint32_t { return 77; });
  static const char file[] = "a.log", line[] = "line";
  const std::vector<uint32_t> args = {reinterpret_cast<uint32_t>(file), reinterpret_cast<uint32_t>(line)};
  const auto result = CallChecked(reinterpret_cast<const void*>(&HostAppendLog), Convention::Std, args, 0x0ECC0007);
  EXPECT_EQ(result.value, 77u);
  EXPECT_EQ(result.check.espDelta, 0);
  EXPECT_EQ(result.check.brokenRegisters, 0u);
  ASSERT_EQ(host.CountCalls("HostAppendLog"), 1);
  const auto& call = host.Calls().back();
  EXPECT_EQ(call.args, args);
  EXPECT_EQ(call.Text(1), "line");
  EXPECT_NE(KwHostSlots[kw::CatalogueRowOf(52407)], KwFirstCallEntries[kw::CatalogueRowOf(52407)]);
}

TEST_F(Binding, FirstCallKeepsEveryRegisterOfAThiscall) {
  Unbind(33197);  // HostPostSignal: its one argument travels in ECX
  SimRegisters seen{};
  host.On("HostPostSignal", [&](hostsim::HostCall& call) -> uint32_t {
    seen = call.registers;
    return 0;
  });
  const auto result = CallChecked(reinterpret_cast<const void*>(&HostPostSignal), Convention::This, {},
                                  static_cast<uint32_t>(-5));
  EXPECT_EQ(result.check.espDelta, 0);
  EXPECT_EQ(seen.ecx, static_cast<uint32_t>(-5));
  EXPECT_EQ(seen.eax, hostsim::kCallerEax);
  EXPECT_EQ(seen.edx, hostsim::kCallerEdx);
  EXPECT_EQ(seen.ebx, hostsim::kCallerEbx);
  EXPECT_EQ(seen.esi, hostsim::kCallerEsi);
  EXPECT_EQ(seen.edi, hostsim::kCallerEdi);
  EXPECT_EQ(seen.ebp, result.check.framePointer);
}

TEST_F(Binding, IgnoredHostGetTableRemovesWhatItsCallersPass) {
  host.Omit(52256);
  boxes.Answer({IDIGNORE});
  Unbind(52256);
  const auto result = CallChecked(reinterpret_cast<const void*>(&HostGetTable), Convention::Std, {35});
  EXPECT_EQ(result.value, 0u);
  EXPECT_EQ(result.check.espDelta, 0);
  EXPECT_EQ(KwHostSlots[kw::CatalogueRowOf(52256)], Stub(1));
  EXPECT_EQ(kw::IgnoreBindFailures, 1);
}

TEST_F(Binding, ACallThatReachesAnEmptySlotAnswersZeroWithTheStackIntact) {
  host.Omit(52028);
  boxes.Answer({IDABORT});
  Unbind(52028);
  const auto result = CallChecked(reinterpret_cast<const void*>(&HostMessageBox), Convention::Std, {1, 2, 3});
  EXPECT_EQ(result.value, 0u);
  EXPECT_EQ(result.check.espDelta, 0);
  EXPECT_EQ(KwHostSlots[kw::CatalogueRowOf(52028)], nullptr);
  const auto again = CallChecked(reinterpret_cast<const void*>(&HostMessageBox), Convention::Std, {1, 2, 3});
  EXPECT_EQ(again.check.espDelta, 0);
  EXPECT_EQ(boxes.Shown().size(), 1u);

  // Without the host library the lookup fails without searching the program,
  // though the host has the function: the same failure, the same empty slot.
  const HMODULE talmer = kw::HostModule;
  const int getTableCalls = host.CountCalls("HostGetTable");
  kw::HostModule = nullptr;
  boxes.Answer({IDABORT});
  Unbind(52256);
  Unbind(52158);  // HostConvertText: the box's texts converted by the module itself
  const auto unattached = CallChecked(reinterpret_cast<const void*>(&HostGetTable), Convention::Std, {35});
  kw::HostModule = talmer;
  EXPECT_EQ(unattached.value, 0u);
  EXPECT_EQ(unattached.check.espDelta, 0);
  EXPECT_EQ(KwHostSlots[kw::CatalogueRowOf(52256)], nullptr);
  EXPECT_EQ(host.CountCalls("HostGetTable"), getTableCalls);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_NE(boxes.Shown()[1].text.find("52256"), std::string::npos);
  EXPECT_EQ(boxes.Shown()[1].title, boxes.Shown()[0].title);
  EXPECT_EQ(boxes.Shown()[1].title, "POWA\xAFNY B\xA3\xA5" "D WTYCZKI");
}

TEST_F(Binding, DialogTextStaysInsideItsBuffersWhateverThePathAndName) {
  // A module with a path of about 240 characters, and a 300-character entry name.
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / "kw-long";
  while (folder.string().size() < 200) folder /= "abcdefghijklmnopqrstuvwxyz";
  fs::create_directories(folder);
  const fs::path copy = folder / "LongPathModule.dll";
  fs::copy_file(fs::path(hostsim::PluginModule::PathNextToProgram()).parent_path() / "TALMER.dll", copy,
                fs::copy_options::overwrite_existing);
  const HMODULE longPathModule = LoadLibraryA(copy.string().c_str());
  ASSERT_NE(longPathModule, nullptr) << copy.string() << " error " << GetLastError();
  const HINSTANCE saved = kw::ModuleHandle;
  kw::ModuleHandle = longPathModule;

  const std::string name(300, 'N');
  boxes.Answer({IDIGNORE});
  EXPECT_EQ(kw::ShowBindFailure(name.c_str()), 1);

  kw::ModuleHandle = saved;
  FreeLibrary(longPathModule);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const std::string& text = boxes.Shown()[0].text;
  EXPECT_LE(text.size(), 503u);
  EXPECT_NE(text.find("LongPathModule.dll"), std::string::npos);
  EXPECT_NE(text.find(std::string(103, 'N')), std::string::npos);
  EXPECT_EQ(text.find(std::string(104, 'N')), std::string::npos);
}

}  // namespace
