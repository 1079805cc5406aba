// CSprKomis, the module's one working object: a host dialog object (its first
// 64 bytes are the host's WDialogBase part) holding the sales tables, a
// snapshot of the current sales document, the kind of document in hand and the
// warehouse flags of komis.cfg.
//
// Who owns what: config/ owns the object's life (construction on the host's
// dialog base, its virtual table and deleting destructor, the users that keep
// its memory), its tables (Initial), komis.cfg and the dialog "Konfiguracja";
// documents/ owns the members the document events run and the cells of the
// document dialogs' objects. Neither subject includes the other: this one
// declaration is what they share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_records.h"
#include "komis_cfg_format.h"

namespace kw {

inline constexpr std::size_t kDialogBaseSize = 64;  // the host writes only inside it
inline constexpr int kVirtualOperationCount = 35;

struct CSprKomis {
  // WDialogBase part, built and torn down by the host.
  const void* const* vtable;       // the table of virtual operations, in the host's layout
  uint8_t dialogBase[kDialogBaseSize - sizeof(void*)];
  // Fields of CSprKomis.
  uint8_t* docRecord;              // current record of table 44 "Tspr"
  HostTable* docTable;
  uint8_t* itemRecord;             // current record of table 45 "Tspr_dok"
  HostTable* itemTable;
  uint8_t* contractorRecord;       // current record of table 35; the found contractor stands here
  HostTable* contractorTable;
  uint32_t savedHostLong;          // the host's 32-bit state cell, taken at construction
  uint16_t savedHostWord;          // the host's 16-bit state cell, taken at construction
  uint8_t savedDocRecord[kDocRecordLength];  // the sales document as Initial found it
  int32_t docKind;                 // kind of the document in hand; the module acts on 24
  WarehouseFlag warehouseFlags[kWarehouseCount];  // byte image of komis.cfg
  // The module's handlers working on the object now (KomisInUse). The host
  // may end a document dialog from inside any of its functions: the object
  // then ends at once, but its memory is released by the last of them.
  int32_t users;
  bool ended;             // taken out of every cell, the host's part torn down
  bool releaseWhenUnused;  // ended with release: freed when the last user leaves
  // The configuration dialog's end as the object learns of it (its last
  // closing event, else the return of the host's dialog): how many saves of
  // komis.cfg had started then. A save started after it is a later choice.
  bool dialogEndSeen;
  uint32_t savesAtDialogEnd;

  // 0 when tables 35, 44 and 45 are bound, 1 (after a warning) when one is missing.
  int Initial();
  // komis.cfg into warehouseFlags; 1 done, 0 not (after a warning). While a
  // save runs, the flags being saved.
  int ReadConfig();
  // warehouseFlags into komis.cfg, judged by the file read back: 1 done; 0
  // not done or not known to be done, after a warning that says what the
  // file holds, or that it could not be read back (it is then left as the
  // write left it). `openedWith`: the flags the dialog opened with, null when
  // they could not be read; what the journal and the warning say was there
  // before when the file cannot be read just before the save.
  int WriteConfig(const WarehouseFlag* openedWith);
  // The dialog's event handler: -2 after showing the warehouse list, else 0.
  int OnDialogEvent(int code, int phase);
  // Runs the dialog "Konfiguracja"; 0 after OK (the flags are then written), 1 otherwise.
  int RunDialog();

  // The members the document events run, defined in documents/:
  // Converts every sales document marked for conversion; 1 when the run cannot start, else 0.
  int ConvertDocuments();
  // Gives a kind-24 document with a flagged item line the contractor TMO and marks it; 0 done, 1 not.
  int ReassignContractor();
  // The item lines of the document in hand that come from a flagged warehouse;
  // with `consigned` (kWarehouseCount flags), their warehouses are set there.
  int CountFlaggedItems(WarehouseFlag* consigned = nullptr);
};
static_assert(offsetof(CSprKomis, docRecord) == kDialogBaseSize);
static_assert(sizeof(CSprKomis::warehouseFlags) == kKomisCfgSize);

// The cells of the document dialogs' objects: defined and driven by the
// document event 815 (documents/conversion_hook.cpp); an object's end
// (config/komis.cpp) takes it out of them. They are listed with the module's
// other variables in foundation/state/module_globals.h.
// The object of the document dialog open now, or null: made when the host
// opens a document dialog, ended when it closes it. Document events work on
// this one only, never on the configuration command's object, whose flags are
// the user's unsaved choice: a document accepted while the command's dialog
// is open would read komis.cfg into them and so undo the choice. An object
// that ends is taken out of every cell, so that none names it afterwards.
extern CSprKomis* CurrentKomis;
// The object of the document dialog whose end the module is handing on to
// the host's own handler, or null. That handler may still accept the
// document in hand (a "save before closing?" question): the acceptance
// reaches this object when no dialog opened meanwhile has one of its own.
extern CSprKomis* EndingKomis;
// The object the document events work on: the open dialog's, or, while the
// host's own handler of a dialog's end runs and no dialog opened there, the
// ending one's.
inline CSprKomis* DocumentEventKomis() { return CurrentKomis ? CurrentKomis : EndingKomis; }

// A save of komis.cfg is running: the host called the module from inside it.
bool KomisCfgBeingSaved();
// How many saves of komis.cfg have started since the module was loaded.
uint32_t KomisCfgSavesStarted();

// A new object built on the host's dialog base, or null when memory is short.
CSprKomis* CreateKomis();
// Ends an object through its virtual deleting destructor with flag 1.
void DestroyKomis(CSprKomis* komis);

// Keeps an object's memory while a handler works on it through host calls,
// inside which the host may end it.
class KomisInUse {
 public:
  explicit KomisInUse(CSprKomis* komis);
  ~KomisInUse();
  KomisInUse(const KomisInUse&) = delete;
  KomisInUse& operator=(const KomisInUse&) = delete;

 private:
  CSprKomis* komis_;
};

}  // namespace kw

// The table of virtual operations: the deleting destructor, OnDialogEvent, then
// the 33 inherited operations of WDialogBase (komis_vtable.S).
extern "C" const void* const KwKomisVirtualTable[kw::kVirtualOperationCount];
