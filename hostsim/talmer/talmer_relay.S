// One entry per exported host function: it hands its row, the caller's
// registers and arguments to SimDispatch and returns removing exactly the
// catalogue's byte count, so that a caller with a wrong convention shows.
// Rows: the catalogue's, then the entries taken at attach in their order.

    .macro SIM_ENTRY index, ordinal, bytes
    .text
    .p2align 4
    .globl _SimEntry_\ordinal
_SimEntry_\ordinal:
    pushl $\index
    call SimRelayCore
    addl $4, %esp
    ret $\bytes
    .set SimRowsSoFar, (\index) + 1
    .endm

    .set SimRowsSoFar, 0
#define HOST_FN(ordinal, name, conv, bytes, result, params) SIM_ENTRY SimRowsSoFar, ordinal, bytes
#include "host_catalogue.inc"
#undef HOST_FN
#define HOST_ATTACH_ENTRY(ordinal, name, conv, bytes, result, params) SIM_ENTRY SimRowsSoFar, ordinal, bytes
#include "host_attach_entries.inc"
#undef HOST_ATTACH_ENTRY

// [esp] return into the entry, [esp+4] row, [esp+8] caller's return address,
// [esp+12] the caller's arguments.
    .p2align 4
SimRelayCore:
    pushal
    movl %esp, %eax
    leal 44(%esp), %edx
    pushl %edx
    pushl %eax
    pushl 44(%esp)
    call _SimDispatch
    addl $12, %esp
    movl %eax, 28(%esp)
    popal
    ret
