// Every mutable variable the module has at file scope, in one place.
//
// The host may call the module's handlers from inside any host function a
// handler calls, and from inside its own handler that a handler of the module
// hands an event on to: most of these exist only to survive that. The block
// below lists all of them: where each is defined, which file (subject) changes
// it, and who may change it while a handler of the module is on the stack
// (a handler that goes on after a host call checks those it relies on).
// tests/module/check_module_globals.py holds the built objects to this list.
//
//  Variable                  Defined in (owner)            Changed while a handler is on the stack by
//  ------------------------  ----------------------------  ----------------------------------------------
//  Set when the library is mapped (under the loader's lock: no handler runs)
//  ModuleHandle              state/module_state.cpp        -- (raw_attach.cpp, at attach)
//  ModulePath                state/module_state.cpp        -- (raw_attach.cpp, at attach)
//  ModuleFileName            state/module_state.cpp        -- (raw_attach.cpp, at attach; points into ModulePath)
//  HostModule                state/module_state.cpp        -- (raw_attach.cpp, at attach)
//  HostModuleCallback        state/module_state.cpp        -- (raw_attach.cpp, at attach; ModuleInstall, which the
//                                                          host calls before any handler of the module)
//  ModuleFrame               state/module_state.cpp        the host (missingHostFeatures, frame_block.h)
//  initialisersRan           module/startup/dll_entry.cpp  -- (the DLL's entry)
//  startupFailed             module/startup/startup.cpp    -- (the start-up steps)
//  Binding of the host's functions
//  KwHostSlots               host/host_entries.S           any first call of a host function (host_binding.cpp)
//  IgnoreBindFailures        host/host_binding.cpp         the bind-failure dialog of a first call
//  Exported, for the host's optional handlers 30009 and 30010
//  ExtraHandlerNoArgs        state/module_state.cpp        -- (nothing sets it)
//  ExtraHandlerOneArg        state/module_state.cpp        -- (nothing sets it)
//  Installation and registration
//  SizeMismatchList          host/table_size_checks.cpp    the installation's report; SetJpkTableHook (jpk/)
//  declaredChecks            host/table_size_checks.cpp    the installation's report
//  ModuleUninstalled         state/module_state.cpp        registration and uninstallation (module/registration/)
//  EventHook815              documents/conversion_hook.cpp registration and uninstallation
//  EventHook1664             documents/reassign_hook.cpp   registration and uninstallation
//  JpkTable                  jpk/jpk_table_hook.cpp        registration and uninstallation (SetJpkTableHook)
//  PrevJpkHandler            jpk/jpk_table_hook.cpp        registration (SetJpkTableHook)
//  JpkSizeCheck              jpk/jpk_table_hook.cpp        registration (SetJpkTableHook)
//  Every handler
//  HandlersStarted           state/handler_scope.cpp       every handler, at its start (HandlerScope)
//  room, roomUsed            host/kept_record.cpp          every handler that keeps a record, nested (KeptRecord)
//  The document dialogs' objects (declared in shared/working_object/komis.h, beside their type)
//  CurrentKomis              documents/conversion_hook.cpp the document dialog's opening and end; an object's
//                                                          end (config/komis.cpp), uninstallation
//  EndingKomis               documents/conversion_hook.cpp the document dialog's end; an object's end
//  komis.cfg (config/komis_config_file.cpp, private to it)
//  flagsBeingSaved           config/komis_config_file.cpp  a save of komis.cfg, nested (SaveInProgress)
//  savesStarted              config/komis_config_file.cpp  every save of komis.cfg
//  Table 44's record buffer (documents/)
//  DocumentRecordUsers       documents/conversion_hook.cpp an acceptance and a conversion (DocumentRecordInUse)
//  ConversionOwed            documents/conversion_hook.cpp a dialog's end; the conversion it owes (ConvertWhenFree)
//  The register cleanup (jpk/jpk_cleanup.cpp, private to it)
//  deletionsUnderWay         jpk/jpk_cleanup.cpp           every deletion of a register pass, nested
//  deletionsUnderWayCount    jpk/jpk_cleanup.cpp           every deletion of a register pass, nested
//  The relay trace (foundation/trace/, each described in trace_state.cpp)
//  TraceOn                   trace/trace_state.cpp         the switch (installation, the command); the size
//                                                          bound and a failing append, in any handler
//  TraceDepth                trace/trace_state.cpp         every entry of the module while the trace is on
//  TraceBytes                trace/trace_state.cpp         every line the trace hands to the host
//  TraceWriting              trace/trace_state.cpp         a drain of the queue, around the host's append
//  TraceQueue, TraceQueued   trace/trace_state.cpp         every handler the host runs inside that append
//  TraceTables, TraceTableCount  trace/trace_state.cpp     every HostGetTable relayed; every line of the trace
//  TraceList                 trace/trace_state.cpp         the register's table handler while the trace is on
//  TraceItemCount            trace/trace_state.cpp         every HostItemCountRef relayed
//  TraceItemArray, TraceItemsCount, TraceItemsLines  trace/trace_state.cpp  every HostItemArrayRef relayed; every line of the trace
//  TraceContext, TraceContextKind  trace/trace_state.cpp   every HostCurrentContext relayed; every line of the trace
//  KwRelayTargets            trace/trace_state.cpp         the switch (SwitchRelay) only
//
// The variables private to their file are defined there, in an unnamed
// namespace; ModuleFrame and KwHostSlots are declared beside their layouts
// (host/frame_block.h, host/host_catalogue.h), CurrentKomis and EndingKomis
// beside their type, the trace's in trace/trace_state.h; every other one is
// declared here.
#pragma once

#include <cstdint>

#include "host_interface.h"
#include "host_records.h"
#include "table_size_checks.h"

namespace kw {

inline constexpr int kModulePathSize = 300;

extern HINSTANCE ModuleHandle;
extern char ModulePath[kModulePathSize];
extern const char* ModuleFileName;  // the last component of ModulePath
extern HMODULE HostModule;          // TALMER, null while not found
extern HostModuleCallbackFn* HostModuleCallback;

// Set when the user answers Ignore in the bind-failure dialog; never cleared.
extern int IgnoreBindFailures;

// The tables whose record lengths differ from those the module is built for,
// linked through NextCheck.
extern TableSizeCheck* SizeMismatchList;

// Uninstalled from the host, and not registered again since: a handler the
// host still runs then makes no new object and converts nothing.
extern bool ModuleUninstalled;
// The host's cells holding the handlers of events 815 and 1664 that were
// installed before the module's; null until registration, and null when the
// host gave none. The host releases them at uninstallation.
extern DocumentEventHandler** EventHook815;
extern DocumentEventHandler** EventHook1664;
// The register table whose handler slot holds the module's handler; null
// while it is not installed.
extern HostTable* JpkTable;
// What the slot held when the handler was installed.
extern TableEventHandler* PrevJpkHandler;
// The register's length mismatch, entered on SizeMismatchList when the
// handler cannot be installed.
extern TableSizeCheck JpkSizeCheck;

// How many handlers of the module the host has started since it was loaded.
// A handler that goes on after a host call compares it with what it was
// before the call to see whether another handler ran meanwhile (and may have
// changed a record buffer, a list or a cell the handler relies on).
extern uint32_t HandlersStarted;

// The handlers working on the document in table 44's record buffer now
// (documents/document_record_use.h).
extern int DocumentRecordUsers;
// A dialog's end asked for a conversion that has not run yet.
extern bool ConversionOwed;

}  // namespace kw

// Optional handlers behind exports 30009 and 30010; nothing sets them.
extern "C" void* ExtraHandlerNoArgs;
extern "C" void* ExtraHandlerOneArg;
