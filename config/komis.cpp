#include "komis.h"

#include <cstdlib>
#include <cstring>

#include "mazovia.h"
#include "trace.h"
#include "warnings.h"

namespace kw {

namespace {

using DeletingDestructorFn = CSprKomis* __attribute__((thiscall))(CSprKomis* self, int flags);

void Construct(CSprKomis* self) {
  HostConstructDialogBase(self);
  self->vtable = KwKomisVirtualTable;
  // A host without the cells has nothing to save or restore.
  const uint32_t* stateLong = HostGetStateLongPtr();
  const uint16_t* stateWord = HostGetStateWordPtr();
  self->savedHostLong = stateLong ? *stateLong : 0;
  self->savedHostWord = stateWord ? *stateWord : 0;
  std::memset(self->warehouseFlags, 0, sizeof self->warehouseFlags);
  self->docKind = 0;
}

}  // namespace

CSprKomis* CreateKomis() {
  auto* komis = static_cast<CSprKomis*>(std::calloc(1, sizeof(CSprKomis)));
  if (!komis) return nullptr;
  Construct(komis);
  return komis;
}

KomisInUse::KomisInUse(CSprKomis* komis) : komis_(komis) { ++komis_->users; }

KomisInUse::~KomisInUse() {
  if (--komis_->users == 0 && komis_->releaseWhenUnused) std::free(komis_);
}

void DestroyKomis(CSprKomis* komis) {
  auto* destroy = reinterpret_cast<DeletingDestructorFn*>(const_cast<void*>(komis->vtable[0]));
  destroy(komis, 1);
}

int CSprKomis::Initial() {
  contractorTable = HostGetTable(kContractorTable);
  docTable = HostGetTable(kDocTable);
  itemTable = HostGetTable(kItemTable);
  if (contractorTable && docTable && itemTable) {
    HostPrepareTable(contractorTable, kPrepareForReading);
    HostPrepareTable(docTable, kPrepareForReading);
    HostPrepareTable(itemTable, kPrepareForReading);
    contractorRecord = contractorTable->RecordBuffer;
    docRecord = docTable->RecordBuffer;
    itemRecord = itemTable->RecordBuffer;
  }
  // A table without its record buffer is as good as missing.
  if (!contractorTable || !docTable || !itemTable || !contractorRecord || !docRecord || !itemRecord) {
    WarnAndLog(MZ("Błąd operacji dyskowej-Initial!\nOperacja niekompletna!"));
    return 1;
  }
  std::memcpy(savedDocRecord, docRecord, sizeof savedDocRecord);
  ReadConfig();
  return 0;
}

}  // namespace kw

// The deleting destructor: forgets the object wherever the module keeps it,
// puts the host's state cells back, tears the base part down and, with bit 0
// of the flags, releases the memory, or leaves that to the last handler still
// working on it. An object ends once.
extern "C" kw::CSprKomis* __attribute__((thiscall)) KwKomisDeletingDestructor(kw::CSprKomis* self, int flags)
    __asm__("KwKomisDeletingDestructor");
extern "C" kw::CSprKomis* __attribute__((thiscall)) KwKomisDeletingDestructor(kw::CSprKomis* self, int flags) {
  const kw::TraceEntry traced("CSprKomis::~CSprKomis", flags, self->ended, self);
  if (!self->ended) {
    self->ended = true;
    if (kw::CurrentKomis == self) kw::CurrentKomis = nullptr;
    if (kw::EndingKomis == self) kw::EndingKomis = nullptr;
    if (uint32_t* stateLong = HostGetStateLongPtr()) *stateLong = self->savedHostLong;
    if (uint16_t* stateWord = HostGetStateWordPtr()) *stateWord = self->savedHostWord;
    HostDestroyDialogBase(self);
  }
  if (flags & 1) {
    if (self->users > 0) {
      self->releaseWhenUnused = true;
    } else {
      std::free(self);
    }
  }
  return self;
}
