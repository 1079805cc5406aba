// Calls into the module with the stack pointer and the callee-saved registers
// checked around the call.
//
// uint32_t SimCallChecked(const void* function, const uint32_t* args, int argc,
//                         uint32_t ecx, int calleeCleans, SimCallCheck* out)
// Pushes args (args[0] last, nearest the return address), loads ECX and known
// values into the other registers, calls, and reports in *out how far ESP is
// from where the convention leaves it and which of EBX, ESI, EDI changed.

    .text
    .p2align 4
    .globl _SimCallChecked
_SimCallChecked:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $8, %esp
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  movl %esp, %eax
    cmpl $0, 24(%ebp)
    je 3f
    leal -20(%ebp), %eax
3:  movl %eax, -16(%ebp)
    movl 28(%ebp), %eax
    movl %ebp, 8(%eax)
    movl 20(%ebp), %ecx
    movl $0x0EBB0003, %ebx
    movl $0x0E510004, %esi
    movl $0x0ED10005, %edi
    movl $0x0EDD0002, %edx
    movl $0x0EAA0001, %eax
    call *8(%ebp)
    movl %esp, %ecx
    subl -16(%ebp), %ecx
    movl 28(%ebp), %edx
    movl %ecx, (%edx)
    xorl %ecx, %ecx
    cmpl $0x0EBB0003, %ebx
    je 4f
    orl $1, %ecx
4:  cmpl $0x0E510004, %esi
    je 5f
    orl $2, %ecx
5:  cmpl $0x0ED10005, %edi
    je 6f
    orl $4, %ecx
6:  movl %ecx, 4(%edx)
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
