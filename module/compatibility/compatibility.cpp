#include "compatibility.h"

#include "format_text.h"
#include "frame_block.h"
#include "mazovia.h"
#include "module_state.h"
#include "table_size_checks.h"

namespace kw {

namespace {

constexpr int kInterfaceVersion = 112;
constexpr int kStopFlags = 0xF001;
constexpr int kStopExtra = 0x6E2E;
constexpr int kStopCode = 30000;

// Appends a formatted piece after what the buffer holds, never beyond its end.
template <std::size_t N>
void Append(char (&buffer)[N], const char* format, ...) {
  const std::size_t used = lstrlenA(buffer);
  va_list args;
  va_start(args, format);
  FormatTextV(buffer + used, N - used, format, args);
  va_end(args);
}

void ShowStop(const char* text) {
  HostMessageBoxFmtEx(kStopCode, "STOP!!!", "%s", kStopFlags, kStopExtra, text);
}

}  // namespace

int CheckHostCompatibility() {
  if (HostVerifyModule(ModuleHandle, nullptr, 0) != 0) return -1;
  if (HostGetInterfaceVersion() != kInterfaceVersion) return -1;
  if (DeclareTableSizes() != 0) return -1;
  return 0;
}

int BuildSizeMismatchReport(char (&buffer)[kMessageBufferSize]) {
  buffer[0] = '\0';
  if (!SizeMismatchList) return 0;
  Append(buffer,
         MZ("Rozmiary rekordów niektórych tabel nie zgadzają się\nmiędzy programem a wtyczką '%s' (moduł '%s'):\n\n"
            "\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n"),
         ModuleDescription.data(), ModuleFileName);
  for (TableSizeCheck* check = SizeMismatchList; check; check = check->NextCheck) {
    char hostSize[16];
    if (check->HostSize == 0) {
      lstrcpyA(hostSize, "brak");
    } else {
      FormatText(hostSize, "%d", check->HostSize);
    }
    // The columns stand under their headings: the module's length first,
    // then the host's.
    Append(buffer, "\x01tp25p40\x01%s\t%d\t%s\n", check->TableName, check->ExpectedSize, hostSize);
  }
  Append(buffer, MZ("\nModuł \x02%s\x01\nNIE zostanie załadowany!"), ModuleFileName);
  return -1;
}

void DiagnoseNotActive() {
  char buffer[kMessageBufferSize] = {};
  if (HostModuleCallback) HostModuleCallback(1, -1);
  const uint32_t missing = ModuleFrame.missingHostFeatures;  // the host writes it during the call
  if (missing != 0) {
    FormatText(buffer, MZ("Program nie obsługuje cech 0x%08X,\nktóre są niezbędne dla modułu '%s'."), missing,
               ModuleDescription.data());
    ShowStop(buffer);
    return;
  }
  if (BuildSizeMismatchReport(buffer) != 0) {
    ShowStop(buffer);
    return;
  }
  if (HostVerifyModule(ModuleHandle, buffer, kMessageBufferSize) != 0) {
    buffer[kMessageBufferSize - 1] = '\0';
    ShowStop(buffer);
    return;
  }
  if (CheckHostCompatibility() != 0) {
    HostMessageBoxFmtEx(kStopCode, "STOP!!!",
                        MZ("Moduł \"%s\" i program występują w różnych wersjach!\n\n"
                           "Został zakualizowany tylko program albo tylko moduł,\n"
                           "a nie oba jednocześnie! Aby naprawić tę sytuację\n"
                           "zainstaluj aktualizację programu wraz z modułem \"%s\".\n\n"
                           "MODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n"),
                        kStopFlags, kStopExtra, ModuleFileName, ModuleFileName);
    return;
  }
  HostMessageBoxFmt("STOP!!!", MZ("Moduł \"%s\" nie został poprawnie zainicjowany,\nwięc NIE BĘDZIE AKTYWNY!"),
                    kStopFlags, kStopExtra, ModuleFileName);
}

}  // namespace kw
