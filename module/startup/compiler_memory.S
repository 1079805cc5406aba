// memcpy, memmove and memset for the calls GCC makes by itself (copies and
// clears of blocks and structures, loops it recognises) in the DLL. The DLL is
// linked without the C runtime's default libraries; these keep such calls
// inside it instead of importing them from msvcrt. The module's code makes
// none of them today; they are here so that one appearing changes nothing in
// the import table. Written in assembly, so that the compiler cannot turn the
// copy loops back into calls to themselves. __cdecl; the direction flag is
// clear at every call, and left clear.
#ifndef KW_MEMORY_NAME
#define KW_MEMORY_NAME(name) _##name
#endif

  .text

// void* memcpy(void* destination, const void* source, size_t count)
  .globl KW_MEMORY_NAME(memcpy)
  .p2align 4
KW_MEMORY_NAME(memcpy):
  pushl %edi
  pushl %esi
  movl 12(%esp), %edi
  movl 16(%esp), %esi
  movl 20(%esp), %ecx
  movl %edi, %eax
  rep movsb
  popl %esi
  popl %edi
  ret

// void* memmove(void* destination, const void* source, size_t count):
// forwards unless the destination starts inside the source, then backwards.
  .globl KW_MEMORY_NAME(memmove)
  .p2align 4
KW_MEMORY_NAME(memmove):
  pushl %edi
  pushl %esi
  movl 12(%esp), %edi
  movl 16(%esp), %esi
  movl 20(%esp), %ecx
  movl %edi, %eax
  movl %edi, %edx
  subl %esi, %edx
  cmpl %ecx, %edx
  jae 1f
  leal -1(%esi,%ecx), %esi
  leal -1(%edi,%ecx), %edi
  std
  rep movsb
  cld
  jmp 2f
1:
  rep movsb
2:
  popl %esi
  popl %edi
  ret

// void* memset(void* destination, int value, size_t count)
  .globl KW_MEMORY_NAME(memset)
  .p2align 4
KW_MEMORY_NAME(memset):
  pushl %edi
  movl 8(%esp), %edi
  movzbl 12(%esp), %eax
  movl 16(%esp), %ecx
  movl %edi, %edx
  rep stosb
  movl %edx, %eax
  popl %edi
  ret
