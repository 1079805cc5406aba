// CSprKomis's table of virtual operations, laid out as the host expects: its
// own deleting destructor and dialog event handler, then the inherited
// operations of WDialogBase, the host functions of the catalogue from
// HostBaseMethod02 (20958) to HostBaseMethod34 (24004) in catalogue order,
// each reached through its entry.

    .set KwInDialogBase, 0
    .macro BASE_METHOD ordinal
    .if \ordinal == 20958
    .set KwInDialogBase, 1
    .endif
    .if KwInDialogBase
    .long KwHostEntry_\ordinal
    .endif
    .if \ordinal == 24004
    .set KwInDialogBase, 0
    .endif
    .endm

    .section .rdata, "dr"
    .p2align 2
    .globl _KwKomisVirtualTable
_KwKomisVirtualTable:
    .long KwKomisDeletingDestructor
    .long KwKomisOnDialogEvent
#define HOST_FN(ordinal, name, conv, bytes, result, params) BASE_METHOD ordinal
#include "host_catalogue.inc"
#undef HOST_FN
