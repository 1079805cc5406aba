// CSprKomis's table of virtual operations, laid out as the host expects: its
// own deleting destructor and dialog event handler, then the inherited
// operations of WDialogBase, the host functions of catalogue rows 35 to 67 in
// catalogue order, each reached through its entry.

    .macro BASE_METHOD row, ordinal
    .if (\row >= 35) && (\row <= 67)
    .long KwHostEntry_\ordinal
    .endif
    .endm

    .section .rdata, "dr"
    .p2align 2
    .globl _KwKomisVirtualTable
_KwKomisVirtualTable:
    .long KwKomisDeletingDestructor
    .long KwKomisOnDialogEvent
#define HOST_FN(row, ordinal, name, conv, bytes, result, params) BASE_METHOD row, ordinal
#include "host_catalogue.inc"
#undef HOST_FN
