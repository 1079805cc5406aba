#include "trace_state.h"

namespace kw {

// ---- The relay trace's state, all of it ------------------------------------
// Owner: the trace (foundation/trace/). Nothing else writes these. The host
// may run the module's handlers from inside any host call, including the
// trace's own appends: every handler on the stack may then change them, so
// none of them is held in a register or a local across a host call.
//
// TraceOn         1 while the trace writes. Set by SwitchTrace (the switch
//                 file read at installation and by the command); cleared by
//                 it, at the size bound and at a failing append.
int TraceOn = 0;
// TraceDepth      the module's entries on the stack while the trace is on
//                 (each TraceEntry that counted itself); the indentation.
int TraceDepth = 0;
// TraceBytes      bytes handed to the host since the module was loaded.
uint32_t TraceBytes = 0;
// TraceWriting    1 while a drain of the queue is inside the host's append:
//                 lines made meanwhile (by handlers the host runs inside the
//                 append) wait in the queue for that drain.
int TraceWriting = 0;
// TraceQueue/TraceQueued  the lines waiting, each ended by a zero, and their
//                 bytes; a line that finds no room even after the queue was
//                 written (only a trace gone off) is left out.
char TraceQueue[kTraceQueueSize];
int TraceQueued = 0;
// TraceTables/TraceTableCount  the tables HostGetTable handed out, so that a
//                 table is written by its number (the oldest is reused), and
//                 the module's fields of their records as last written.
TracedTable TraceTables[kTracedTables];
int TraceTableCount = 0;
// TraceList       the register's list the table handler on the stack reads:
//                 set by the handler's TraceListWatch, put back at its end.
TracedList TraceList;
// TraceContext/TraceContextKind  the host's context as HostCurrentContext
//                 answered it last in the entries on the stack, and the kind
//                 last written of it.
const OperationContext* TraceContext = nullptr;
int32_t TraceContextKind = 0;
// TraceItemCount  the host's count cell of the document's item lines, as
//                 HostItemCountRef answered it last.
const int* TraceItemCount = nullptr;
// TraceItemArray  the host's cell of the item lines as HostItemArrayRef
//                 answered it last in the entries on the stack;
// TraceItemsCount/TraceItemsLines  the count and the array last written.
uint8_t*** TraceItemArray = nullptr;
int TraceItemsCount = -1;
uint8_t** TraceItemsLines = nullptr;
// -----------------------------------------------------------------------------

}  // namespace kw

// KwRelayTargets  the host's own function of each row while the row's slot
//                 holds its relay entry; written by SwitchRelay only, and kept
//                 when the relay goes off, as a relay on the stack calls
//                 through it.
kw::HostSlot KwRelayTargets[kw::kHostCatalogueSize];
