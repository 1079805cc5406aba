// The relay entries: one per catalogue line, generated from it, each a call
// of KwRelayCommon of 5 bytes, so that the return address it pushes names
// the row. While the trace is on, a row's slot holds its relay entry.
//
// KwRelayCommon writes the call (KwRelayCalling, which answers how many bytes
// of arguments the row has on the stack), calls the host's own function
// (KwRelayTargets) with a copy of them and the object in ECX as it came,
// writes the answer (KwRelayReturned, which answers the bytes the host's
// function removes) and returns to the module with EAX and EDX as the host
// left them, removing those bytes. Everything it keeps is in its own frame,
// so the host may call the module from inside the call.

    .text
    .p2align 4
    .globl _KwRelayEntries
_KwRelayEntries:
#define HOST_FN(ordinal, name, conv, bytes, result, params) call KwRelayCommon
#include "host_catalogue.inc"
#undef HOST_FN

// [ebp+4] return into the relay entries (the row), [ebp+8] the module's
// return address, [ebp+12] the arguments; [ebp-4] ECX as it came.
    .p2align 4
KwRelayCommon:
    pushl %ebp
    movl %esp, %ebp
    pushl %ecx
    pushl %esi
    pushl %edi
    pushl %ecx
    leal 12(%ebp), %eax
    pushl %eax
    pushl 4(%ebp)
    call _KwRelayCalling
    addl $12, %esp
    movl %eax, %ecx
    subl %ecx, %esp
    leal 12(%ebp), %esi
    movl %esp, %edi
    shrl $2, %ecx
    cld
    rep movsl
    pushl 4(%ebp)
    call _KwRelayTarget
    addl $4, %esp
    movl -4(%ebp), %ecx
    call *%eax
    leal -12(%ebp), %esp
    pushl %edx
    pushl %eax
    pushl %eax
    leal 12(%ebp), %ecx
    pushl %ecx
    pushl 4(%ebp)
    call _KwRelayReturned
    addl $12, %esp
    movl %eax, 4(%ebp)
    popl %eax
    popl %edx
    popl %edi
    popl %esi
    popl %ecx
    popl %ebp
// [esp] the bytes to remove, [esp+4] the module's return address: the
// return address goes up by those bytes, over the last argument's place.
    popl %ecx
    pushl %eax
    movl 4(%esp), %eax
    movl %eax, 4(%esp, %ecx)
    popl %eax
    leal (%esp, %ecx), %esp
    ret
