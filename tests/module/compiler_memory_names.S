// The DLL's memcpy, memmove and memset under other names, for their tests in
// a program that has the C runtime's own.
#define KW_MEMORY_NAME(name) _kw_test_##name
#include "compiler_memory.S"
