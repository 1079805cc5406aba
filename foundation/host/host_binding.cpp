#include "host_binding.h"

#include "fallback_rule.h"
#include "format_text.h"
#include "frame_block.h"
#include "host_code_pages.h"
#include "mazovia.h"
#include "module_state.h"
#include "windows_text.h"

namespace kw {

int IgnoreBindFailures = 0;

namespace {

constexpr int kDialogTextSize = 504;
constexpr int kEntryTextSize = 104;
constexpr UINT kBindFailureStyle = MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_TASKMODAL;  // 0x2012
static_assert(kBindFailureStyle == 0x2012);

bool IsOrdinal(const char* entry) { return IS_INTRESOURCE(entry); }
int OrdinalOf(const char* entry) { return static_cast<int>(reinterpret_cast<uintptr_t>(entry)); }

void BlankOut(char* text, char markup) {
  for (char* p = text; *p; ++p) {
    if (*p == markup) *p = ' ';
  }
}

bool IsFallbackStub(HostSlot slot) {
  for (const void* stub : ModuleFrame.returnZeroStubs) {
    if (slot == stub) return true;
  }
  return false;
}

// True when a call of HostConvertText reaches the host's own function.
bool HostConverterAvailable() {
  constexpr int row = CatalogueRowOf(52158);
  static_assert(row >= 0);
  const HostSlot slot = KwHostSlots[row];
  if (slot == KwFirstCallEntries[row]) {
    return HostModule && GetProcAddress(HostModule, MAKEINTRESOURCEA(52158));
  }
  return slot && !IsFallbackStub(slot);
}

// A Mazovia text for Windows, converted in place with the host's
// HostConvertText from Mazovia to Windows-1250; where the host cannot give that function
// without another bind-failure dialog, the module's own table of the Polish
// letters does the same.
void ConvertForWindows(char* text) {
  if (HostConverterAvailable()) {
    HostConvertText(text, text, kHostCodeMazovia, kHostCodeWindows1250);
  } else {
    MazoviaToWindows1250(text);
  }
}

}  // namespace

void PickFallbackStub(const char* entry, HostSlot* slot) {
  const int fallback = IsOrdinal(entry) ? FallbackForOrdinal(OrdinalOf(entry)) : FallbackForName(entry);
  *slot = fallback == kNoFallback ? nullptr : const_cast<void*>(ModuleFrame.returnZeroStubs[fallback]);
}

namespace {

// The dialog's text, in Mazovia: the module file, the missing entry (its
// ordinal or name) and the module's description, the host's markup blanked.
void WriteBindFailureText(char (&text)[kDialogTextSize], const char* entry) {
  char modulePath[kModulePathSize];
  const char* moduleName = modulePath;
  if (GetModuleFileNameA(ModuleHandle, modulePath, sizeof modulePath) == 0) {
    moduleName = "<nieznany>";
  }
  modulePath[sizeof modulePath - 1] = '\0';

  char entryText[kEntryTextSize];
  if (IsOrdinal(entry)) {
    FormatText(entryText, "%d", OrdinalOf(entry));
  } else {
    lstrcpynA(entryText, entry, sizeof entryText);
  }

  FormatText(text,
             MZ("W module \x02%s\x01\nbrak wpisu \x02%s\x01\nWywołano z wtyczki \x02%s\x01.\n\n"
                "Błąd ten można zignorować lecz dalsza praca\n"
                "programu w tych warunkach może być niebezpieczna.\n\n"
                "Konieczna jest aktualizacja programu!"),
             moduleName, entryText, ModuleDescription.data());
  BlankOut(text, '\x01');
  BlankOut(text, '\x02');
}

}  // namespace

int ShowBindFailure(const char* entry) {
  if (IgnoreBindFailures) return 1;

  char text[kDialogTextSize];
  WriteBindFailureText(text, entry);
  // A copy, so that the title is converted afresh for every box.
  char title[sizeof MZ_ARRAY("POWAŻNY BŁĄD WTYCZKI")];
  lstrcpynA(title, MZ("POWAŻNY BŁĄD WTYCZKI"), sizeof title);
  ConvertForWindows(text);
  ConvertForWindows(title);

  int answer;
  do {
    answer = MessageBoxA(nullptr, text, title, kBindFailureStyle);
  } while (answer == IDRETRY);
  if (answer == IDIGNORE) {
    IgnoreBindFailures = 1;
    return 1;
  }
  return 0;
}

void ResolveHostFunction(const char* entry, HostSlot* slot) {
  // Without the host library every lookup fails; GetProcAddress(null) would
  // search the program instead.
  *slot = HostModule ? reinterpret_cast<HostSlot>(GetProcAddress(HostModule, entry)) : nullptr;
  if (*slot) return;
  if (ShowBindFailure(entry)) {
    PickFallbackStub(entry, slot);
  } else {
    *slot = nullptr;
  }
}

namespace {
// A catalogue function with a fallback removes no more bytes than the largest
// fallback does.
constexpr bool EveryCatalogueFallbackExists() {
  for (const CatalogueRow& function : kHostCatalogue) {
    if (FallbackForCatalogueRow(function.ordinal, function.calleeBytes) >= kReturnZeroStubCount) return false;
  }
  return true;
}
}  // namespace
static_assert(EveryCatalogueFallbackExists(), "host_catalogue.inc: a function with a fallback removes too many bytes");

void BindCatalogueRow(int row) {
  const CatalogueRow& function = kHostCatalogue[row];
  HostSlot& slot = KwHostSlots[row];
  ResolveHostFunction(MAKEINTRESOURCEA(function.ordinal), &slot);
  if (IsFallbackStub(slot)) {
    const int fallback = FallbackForCatalogueRow(function.ordinal, function.calleeBytes);
    slot = const_cast<void*>(ModuleFrame.returnZeroStubs[fallback]);
  }
}

int BindAtStartup(int row) {
  if (KwHostSlots[row] == KwFirstCallEntries[row]) BindCatalogueRow(row);
  return KwHostSlots[row] ? 0 : -1;
}

}  // namespace kw

extern "C" void KwBindOnFirstCall(int row) { kw::BindCatalogueRow(row); }
