// The module's fields of each host record, in the order the relay trace
// writes them ("+ T44 1268 ..." after a host call that changed them, before
// one that takes them) and a playback reads them back. Only these fields are
// written: the rest of a record is the shop's and stays out of the trace.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_records.h"

namespace kw {

enum class FieldKind : uint8_t {
  Text,    // zero-terminated Mazovia within its area, quoted
  Number,  // little-endian integer of 2 or 4 bytes, decimal (2 bytes unsigned, 4 signed)
  Bits,    // 8 bytes (a double) as 16 hex digits, exactly as stored
};

struct RecordField {
  uint16_t offset;  // from the record's start
  uint8_t size;     // bytes
  FieldKind kind;
};

#define KW_FIELD(record, member, kind) {offsetof(record, member), sizeof(record::member), FieldKind::kind}
#define KW_FIELD_AT(record, member, index, kind) \
  {offsetof(record, member) + (index) * sizeof(record::member[0]), sizeof(record::member[0]), FieldKind::kind}

inline constexpr RecordField kContractorFields[] = {
    KW_FIELD(ContractorRecord, ContrSymbol, Text),     KW_FIELD(ContractorRecord, ContrText1, Text),
    KW_FIELD(ContractorRecord, ContrText2, Text),      KW_FIELD(ContractorRecord, ContrTermsWord, Number),
    KW_FIELD(ContractorRecord, ContrTermsAux, Number), KW_FIELD(ContractorRecord, ContrNumber, Number),
};

inline constexpr RecordField kDocFields[] = {
    KW_FIELD(DocRecord, DocNumber, Text),          KW_FIELD(DocRecord, DocAltNumber, Text),
    KW_FIELD(DocRecord, SettledAmount, Bits),      KW_FIELD(DocRecord, BalanceAmount, Bits),
    KW_FIELD(DocRecord, TermsWord, Number),        KW_FIELD(DocRecord, TermsAux, Number),
    KW_FIELD(DocRecord, AddAmount, Bits),          KW_FIELD(DocRecord, TotalAmount, Bits),
    KW_FIELD(DocRecord, DocFlags, Number),         KW_FIELD(DocRecord, DocNote, Text),
    KW_FIELD_AT(DocRecord, SplitAmount, 0, Bits),  KW_FIELD_AT(DocRecord, SplitAmount, 1, Bits),
    KW_FIELD_AT(DocRecord, SplitAmount, 2, Bits),  KW_FIELD_AT(DocRecord, SplitAmount, 3, Bits),
    KW_FIELD(DocRecord, DeductAmount, Bits),       KW_FIELD(DocRecord, ConversionPending, Number),
    KW_FIELD(DocRecord, DocLinkId, Number),
};

// An item line, in the host's array of the document's lines or in table 45's
// record buffer.
inline constexpr RecordField kItemFields[] = {
    KW_FIELD(ItemLine, ItemRefA, Number),
    KW_FIELD(ItemLine, ItemWarehouse, Number),
    KW_FIELD(ItemLine, ItemRefB, Number),
};

inline constexpr RecordField kJpkFields[] = {
    KW_FIELD(JpkRecord, JpkDocNumber, Text),
    KW_FIELD(JpkRecord, JpkContrText1, Text),
    KW_FIELD(JpkRecord, JpkContrText2, Text),
    KW_FIELD(JpkRecord, JpkContrNumber, Number),
};

inline constexpr RecordField kContextFields[] = {
    KW_FIELD(OperationContext, CtxDocKind, Number),
};

#undef KW_FIELD
#undef KW_FIELD_AT

struct RecordFields {
  const RecordField* fields;
  int count;
  int bytes;  // of the fields' values together
};

template <int N>
constexpr RecordFields FieldSet(const RecordField (&fields)[N]) {
  int bytes = 0;
  for (const RecordField& field : fields) bytes += field.size;
  return {fields, N, bytes};
}

// The fields of a table's records; none for a table whose records the module
// does not read.
constexpr RecordFields TableFields(int table) {
  switch (table) {
    case kContractorTable: return FieldSet(kContractorFields);
    case kDocTable: return FieldSet(kDocFields);
    case kItemTable: return FieldSet(kItemFields);
    case kJpkTable: return FieldSet(kJpkFields);
    default: return {nullptr, 0, 0};
  }
}

// The host's warehouse flags the configuration dialog edits (HostEditWarehouseFlags,
// HostRunDialog's data), 101 of 16 bits as komis.cfg holds them.
inline constexpr int kWarehouseFlagsBytes = 202;

// The most bytes of the values of one record's fields.
inline constexpr int kMostFieldBytes = 256;
static_assert(FieldSet(kDocFields).bytes <= kMostFieldBytes && FieldSet(kJpkFields).bytes <= kMostFieldBytes &&
              FieldSet(kContractorFields).bytes <= kMostFieldBytes);

}  // namespace kw
