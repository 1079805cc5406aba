// Entries of the host functions, their first-call entries and slots, the
// fallbacks that return 0, and the two pass-through exports 30009 and 30010.
//
// A call to a host function lands on its entry, which jumps through the slot.
// Until the slot is bound it holds the first-call entry, which binds the slot
// with every general-purpose register, the arguments and the return address
// untouched, and then continues into the entry. A slot left empty (the user
// aborted the binding, or no fallback fits) answers 0 and removes the
// function's own argument bytes instead of jumping into nothing.

//
// The catalogue's lines are counted as they come: KwHostRow is the row of the
// line being laid out, from 0, and indexes its slot.

#define HOST_FN(ordinal, name, conv, bytes, result, params) HOST_ENTRY ordinal, bytes

    .set KwHostRow, 0
    .macro HOST_ENTRY ordinal, bytes
    .text
    .p2align 4
    .globl KwHostEntry_\ordinal
KwHostEntry_\ordinal:
    cmpl $0, _KwHostSlots + 4 * KwHostRow
    je 1f
    jmp *_KwHostSlots + 4 * KwHostRow
1:  xorl %eax, %eax
    ret $\bytes
KwFirstCall_\ordinal:
    pushal
    pushl $KwHostRow
    call _KwBindOnFirstCall
    addl $4, %esp
    popal
    jmp KwHostEntry_\ordinal
    .set KwHostRow, KwHostRow + 1
    .endm

#include "host_catalogue.inc"
#undef HOST_FN

// The slots, each starting at its first-call entry.
    .data
    .p2align 2
    .globl _KwHostSlots
_KwHostSlots:
#define HOST_FN(ordinal, name, conv, bytes, result, params) .long KwFirstCall_##ordinal
#include "host_catalogue.inc"
#undef HOST_FN

    .section .rdata, "dr"
    .p2align 2
    .globl _KwFirstCallEntries
_KwFirstCallEntries:
#define HOST_FN(ordinal, name, conv, bytes, result, params) .long KwFirstCall_##ordinal
#include "host_catalogue.inc"
#undef HOST_FN

// Fallback i returns 0 and removes 4 * i bytes of arguments; fallback 0 leaves
// them to the caller.
    .macro RETURN_ZERO index
    .text
    .p2align 2
    .globl _KwReturnZero\index
_KwReturnZero\index:
    xorl %eax, %eax
    ret $(4 * \index)
    .endm
    .irp index, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14
    RETURN_ZERO \index
    .endr

// Export 30009: straight on to the handler with the caller's arguments and
// return address; the caller removes what it passed.
    .text
    .p2align 4
    .globl _ExtraEntryNoArgs
_ExtraEntryNoArgs:
    cmpl $0, _ExtraHandlerNoArgs
    je 1f
    jmp *_ExtraHandlerNoArgs
1:  xorl %eax, %eax
    ret

// Export 30010: one 32-bit argument, removed by the entry or by the handler.
    .p2align 4
    .globl _ExtraEntryOneArg@4
_ExtraEntryOneArg@4:
    cmpl $0, _ExtraHandlerOneArg
    je 1f
    jmp *_ExtraHandlerOneArg
1:  movl $-1234567890, %eax
    ret $4

// Fallback 0 in the role of the host's secondary callback until attach.
    .globl _KwSecondaryFallback
    .set _KwSecondaryFallback, _KwReturnZero0
