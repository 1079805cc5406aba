#include "install_notice.h"

#include <cstdarg>

#include "format_text.h"
#include "host_interface.h"
#include "mazovia.h"
#include "module_state.h"

namespace kw {

namespace {

constexpr int kReadSetting = 1;
constexpr int kWriteSetting = 2;
constexpr int kNoticeDialog = 1668;
constexpr const char* kSection = "Kalwestrowka";
constexpr const char* kAskKey = "Pytaj";

}  // namespace

uint16_t AccessSetting(int mode, const char* section, const char* key, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const uint16_t status = HostAccessSettingV(mode, section, key, format, args);
  va_end(args);
  return status;
}

int ShowInstallNotice() {
  int askSetting = 0;  // only its low 16 bits count
  const uint16_t status = AccessSetting(kReadSetting, kSection, kAskKey, "%d", &askSetting);
  if (status != 0) {
    askSetting = 0;
  } else if (static_cast<int16_t>(askSetting) != 0) {
    return 0;
  }
  char description[sizeof ModuleDescription];
  lstrcpynA(description, ModuleDescription.data(), sizeof description);
  char text[128];
  FormatText(text, MZ("Zainstalowano wtyczkę: %s"), description);
  HostRunStockDialog(kNoticeDialog, &askSetting, 0, text);
  AccessSetting(kWriteSetting, kSection, kAskKey, "%d", static_cast<int>(static_cast<int16_t>(askSetting)));
  return 0;
}

}  // namespace kw
