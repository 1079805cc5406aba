#include "guarded_memory.h"

#include <windows.h>

#include <cstdio>

namespace hostsim {
namespace {

constexpr std::size_t kPage = 4096;

LONG CALLBACK ReportFault(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
    std::fprintf(stderr, "simulated host: access violation at 0x%08lX, %s of address 0x%08lX\n",
                 static_cast<unsigned long>(reinterpret_cast<uintptr_t>(record->ExceptionAddress)),
                 record->ExceptionInformation[0] ? "write" : "read",
                 static_cast<unsigned long>(record->ExceptionInformation[1]));
    std::fflush(stderr);
  } else if (record->ExceptionCode == EXCEPTION_ILLEGAL_INSTRUCTION) {
    // What a trapping check of the hardened build leaves (ud2).
    std::fprintf(stderr, "simulated host: trap (undefined behaviour caught) at 0x%08lX\n",
                 static_cast<unsigned long>(reinterpret_cast<uintptr_t>(record->ExceptionAddress)));
    std::fflush(stderr);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// A fault nobody handles ends the process at once, without a debugger.
LONG WINAPI EndProcess(EXCEPTION_POINTERS* info) {
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void* AllocateGuarded(std::size_t size) {
  const std::size_t pages = (size + kPage - 1) / kPage + 1;
  auto* base = static_cast<unsigned char*>(VirtualAlloc(nullptr, pages * kPage, MEM_RESERVE | MEM_COMMIT,
                                                        PAGE_READWRITE));
  if (!base) return nullptr;
  DWORD old;
  VirtualProtect(base + (pages - 1) * kPage, kPage, PAGE_NOACCESS, &old);
  return base + (pages - 1) * kPage - size;
}

void ReleaseGuarded(void* block) {
  if (!block) return;
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(block, &info, sizeof info)) VirtualFree(info.AllocationBase, 0, MEM_RELEASE);
}

void InstallFaultReporter() {
  static const bool installed = [] {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&EndProcess);
    return AddVectoredExceptionHandler(1, &ReportFault) != nullptr;
  }();
  (void)installed;
}

}  // namespace hostsim
