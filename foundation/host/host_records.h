// The host's table object and the byte layout of every record field the module
// reads or writes. Records are byte-packed, little-endian; texts are
// zero-terminated Mazovia inside fixed areas. Only the fields named here are
// the module's business; the gaps are the host's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_interface.h"

// Handler of the events of a host table: eleven 32-bit arguments.
using TableEventHandler = int __stdcall(int eventCode, int a2, int* entryCount, int a4, int a5, HostTable* table,
                                        int** recordNumbersRef, HostSelection* selection, void* view, int a10,
                                        int16_t* handled);

struct HostTable {
  uint8_t hostArea0[6];
  int16_t RecordLength;               // 6: length of one record in bytes
  uint8_t* RecordBuffer;              // 8: current record; every read fills it, every write takes it
  uint8_t hostArea12[92];
  TableEventHandler* EventHandler;    // 104: called by the host for events of this table
};
static_assert(offsetof(HostTable, RecordLength) == 6);
static_assert(offsetof(HostTable, RecordBuffer) == 8);
static_assert(offsetof(HostTable, EventHandler) == 104);
static_assert(sizeof(HostTable) == 108);

namespace kw {

// Host table numbers, and the names the module's reports give them.
inline constexpr int kContractorTable = 35;
inline constexpr int kDocTable = 44;
inline constexpr const char* kDocTableName = "Tspr";
inline constexpr int kItemTable = 45;
inline constexpr const char* kItemTableName = "Tspr_dok";
inline constexpr int kK9Table = 49;
inline constexpr const char* kK9TableName = "k9";
inline constexpr int kJpkTable = 400;
inline constexpr const char* kJpkTableName = "Ewid_JPK";

// Record lengths the module is built for.
inline constexpr int kDocRecordLength = 1268;
inline constexpr int kItemRecordLength = 515;
inline constexpr int kK9RecordLength = 1024;
inline constexpr int kJpkRecordLength = 1170;

// Mode passed to HostPrepareTable before a table is read.
inline constexpr int kPrepareForReading = 255;

#pragma pack(push, 1)

// Contractor (table 35).
struct ContractorRecord {
  uint8_t hostArea0[2];
  char ContrSymbol[17];        // 2: symbol; the lookup compares its first characters
  char ContrText1[101];        // 19: first identifying text
  char ContrText2[70];         // 120: second identifying text
  uint16_t ContrTermsWord;     // 190: copied into a converted document's TermsWord
  uint16_t ContrTermsAux;      // 192: copied into a converted document's TermsAux
  uint8_t hostArea194[1338];
  int32_t ContrNumber;         // 1532: the contractor's number
};
static_assert(offsetof(ContractorRecord, ContrSymbol) == 2);
static_assert(offsetof(ContractorRecord, ContrText1) == 19);
static_assert(offsetof(ContractorRecord, ContrText2) == 120);
static_assert(offsetof(ContractorRecord, ContrTermsWord) == 190);
static_assert(offsetof(ContractorRecord, ContrTermsAux) == 192);
static_assert(offsetof(ContractorRecord, ContrNumber) == 1532);

// Sales document (table 44, "Tspr").
struct DocRecord {
  uint8_t hostArea0[2];
  char DocNumber[16];          // 2: document number; "." while marked for conversion
  uint8_t hostArea18[1];
  char DocAltNumber[16];       // 19: second number, the document's number after conversion
  uint8_t hostArea35[204];
  double SettledAmount;        // 239
  double BalanceAmount;        // 247: TotalAmount + AddAmount - DeductAmount after conversion
  uint16_t TermsWord;          // 255: bits 9..14 (0x7E00) tested as a group
  uint16_t TermsAux;           // 257
  double AddAmount;            // 259
  uint8_t hostArea267[112];
  double TotalAmount;          // 379
  uint8_t hostArea387[16];
  uint16_t DocFlags;           // 403: conversion sets 0x400
  uint8_t hostArea405[31];
  char DocNote[100];           // 436: "Wtyczka Kalwestrowka" while waiting for conversion
  uint8_t hostArea536[338];
  double SplitAmount[4];       // 874, 882, 890, 898
  double DeductAmount;         // 906
  uint8_t hostArea914[281];
  uint16_t ConversionPending;  // 1195: 1 = marked for conversion
  uint8_t hostArea1197[67];
  int32_t DocLinkId;           // 1264: key value of the document's item lines
};
static_assert(offsetof(DocRecord, DocNumber) == 2);
static_assert(offsetof(DocRecord, DocAltNumber) == 19);
static_assert(offsetof(DocRecord, SettledAmount) == 239);
static_assert(offsetof(DocRecord, BalanceAmount) == 247);
static_assert(offsetof(DocRecord, TermsWord) == 255);
static_assert(offsetof(DocRecord, TermsAux) == 257);
static_assert(offsetof(DocRecord, AddAmount) == 259);
static_assert(offsetof(DocRecord, TotalAmount) == 379);
static_assert(offsetof(DocRecord, DocFlags) == 403);
static_assert(offsetof(DocRecord, DocNote) == 436);
static_assert(offsetof(DocRecord, SplitAmount) == 874);
static_assert(offsetof(DocRecord, DeductAmount) == 906);
static_assert(offsetof(DocRecord, ConversionPending) == 1195);
static_assert(offsetof(DocRecord, DocLinkId) == 1264);
static_assert(sizeof(DocRecord) == kDocRecordLength);

// Item line of the document being edited, as the host holds it in memory.
struct ItemLine {
  uint8_t hostArea0[200];
  uint32_t ItemRefA;           // 200: the line counts only if ItemRefA or ItemRefB is nonzero
  uint8_t hostArea204[305];
  int16_t ItemWarehouse;       // 509: warehouse number of the line
  uint16_t ItemRefB;           // 511
};
static_assert(offsetof(ItemLine, ItemRefA) == 200);
static_assert(offsetof(ItemLine, ItemWarehouse) == 509);
static_assert(offsetof(ItemLine, ItemRefB) == 511);

// JPK register entry (table 400, "Ewid_JPK").
struct JpkRecord {
  uint8_t hostArea0[114];
  char JpkDocNumber[50];       // 114: number of the document the entry stands for
  char JpkContrText1[101];     // 164: the contractor's first identifying text
  char JpkContrText2[70];      // 265
  uint8_t hostArea335[823];
  int32_t JpkContrNumber;      // 1158: the contractor's number
  uint8_t hostArea1162[8];
};
static_assert(offsetof(JpkRecord, JpkDocNumber) == 114);
static_assert(offsetof(JpkRecord, JpkContrText1) == 164);
static_assert(offsetof(JpkRecord, JpkContrText2) == 265);
static_assert(offsetof(JpkRecord, JpkContrNumber) == 1158);
static_assert(sizeof(JpkRecord) == kJpkRecordLength);

// The operation in progress, as HostCurrentContext describes it.
struct OperationContext {
  uint8_t hostArea0[16];
  int32_t CtxDocKind;          // 16: kind of the current document; the module acts on 24
};
static_assert(offsetof(OperationContext, CtxDocKind) == 16);

#pragma pack(pop)

// Views of a record buffer; the buffers stay the host's.
inline ContractorRecord* AsContractor(uint8_t* record) { return reinterpret_cast<ContractorRecord*>(record); }
inline DocRecord* AsDocument(uint8_t* record) { return reinterpret_cast<DocRecord*>(record); }
inline JpkRecord* AsJpkEntry(uint8_t* record) { return reinterpret_cast<JpkRecord*>(record); }
inline ItemLine* AsItemLine(uint8_t* record) { return reinterpret_cast<ItemLine*>(record); }

// Host key buffers and cursors need at most this much room.
inline constexpr int kKeyBufferSize = 64;
inline constexpr int kCursorSize = 64;

}  // namespace kw
