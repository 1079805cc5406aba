// The dialog "Konfiguracja": its description in the host's dialog format, and
// running it on the working object with the host's warehouse list.
#include "config_command.h"

#include <cstring>

#include "host_dialog_codes.h"
#include "host_interface.h"
#include "komis.h"
#include "mazovia.h"

namespace kw {

namespace {

constexpr uint16_t kKindText = 3;
constexpr uint16_t kKindButton = 0;
constexpr uint16_t kKeyF2 = 0x3C00;
constexpr uint16_t kKeyF12 = 0x8600;
constexpr uint16_t kKeyEsc = 0x001B;

template <std::size_t N, std::size_t M>
constexpr void Put(char (&field)[N], const std::array<char, M>& text) {
  static_assert(N == M, "the text must fill its field exactly");
  for (std::size_t i = 0; i < N; ++i) field[i] = text[i];
}

constexpr ConfigDialogDescription MakeConfigDialog() {
  ConfigDialogDescription d{};
  d.header = {sizeof d - 4, sizeof d - 8, 4, 0xFFFF, kConfigDialogNumber, 0, 0, 54, 8, 0, {}};
  Put(d.header.title, MZ_ARRAY("Konfiguracja"));
  d.hint = {kKindText, kKeyF2, 0, 0, 3, 2, 48, 1, 0};
  Put(d.hintText, MZ_ARRAY("\x05" "F2\x01 Ustal MAGAZYNY z towarami dla sprzedaży obcej"));
  d.warehouseList = {kKindButton, kWarehouseListItem, kItemActivatable | kItemOpensList, kKeyF2, 17, 3, 27, 1, 0};
  Put(d.warehouseListText, MZ_ARRAY(" "));
  d.ok = {kKindButton, kDialogOk, kItemActivatable | kItemConfirms, kKeyF12, 9, 5, 15, 1, 0};
  Put(d.okText, MZ_ARRAY("\x05" "F12\x01 OK"));
  d.cancel = {kKindButton, kDialogCancel, kItemActivatable, kKeyEsc, 28, 5, 15, 1, 0};
  Put(d.cancelText, MZ_ARRAY("\x05" "Esc\x01 Anuluj"));
  return d;
}

// The host's callback thunk: 32 bytes owned by the caller, the host's table of
// virtual operations first.
struct CallbackThunk {
  const void* const* vtable;
  uint8_t hostArea[28];
};
static_assert(sizeof(CallbackThunk) == 32);

using ThunkCallableFn = void* __attribute__((thiscall))(CallbackThunk* thunk);

// Builds the thunk that hands the dialog's events to the object, and releases
// it on every way out.
class DialogCallback {
 public:
  explicit DialogCallback(CSprKomis* komis) {
    HostConstructCallbackThunk(&thunk_, komis, reinterpret_cast<void*>(&HostDispatchDialogEvent));
  }
  ~DialogCallback() { HostDestroyCallbackThunk(&thunk_); }
  DialogCallback(const DialogCallback&) = delete;
  DialogCallback& operator=(const DialogCallback&) = delete;

  // The thunk's second virtual operation gives the plain callable address;
  // a thunk the host left without its table gives none.
  void* Callable() {
    if (!thunk_.vtable || !thunk_.vtable[1]) return nullptr;
    auto* callable = reinterpret_cast<ThunkCallableFn*>(const_cast<void*>(thunk_.vtable[1]));
    return callable(&thunk_);
  }

 private:
  CallbackThunk thunk_{};
};

}  // namespace

constinit const ConfigDialogDescription ConfigDialogTemplate = MakeConfigDialog();

int CSprKomis::RunDialog() {
  WarehouseFlag openedWith[kWarehouseCount];
  const bool opened = ReadConfig() != 0;
  std::memcpy(openedWith, warehouseFlags, sizeof openedWith);
  uint16_t endCode = 0;
  dialogEndSeen = false;
  {
    DialogCallback callback(this);
    if (void* callable = callback.Callable()) {
      endCode = HostRunDialog(this, &ConfigDialogTemplate, kConfigDialogNumber, warehouseFlags, callable);
      if (!dialogEndSeen) {
        dialogEndSeen = true;
        savesAtDialogEnd = KomisCfgSavesStarted();
      }
    }
  }
  if (endCode != kDialogOk) return 1;  // nothing is written; the edited flags go with the object
  // The host may run the command again after this dialog's end (from inside
  // the rest of its dialog call, or the call that ends the callback), and the
  // user confirm another choice there: that choice came later and stays on
  // the disk.
  if (KomisCfgSavesStarted() != savesAtDialogEnd) return 0;
  WriteConfig(opened ? openedWith : nullptr);
  return 0;
}

}  // namespace kw
