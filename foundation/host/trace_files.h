// The relay trace's files, in the host's data folder, and its bound; plain
// data, read by the module and by the tools (kalwcfg slad, kalwcheck --slad).
#pragma once

#include <cstdint>

namespace kw {

// The trace, appended through the host's log service beside Kalwestrowka.log.
inline constexpr char kTraceFile[] = "Kalwestrowka-slad.txt";
// The switch: the trace is on while this file is beside komis.cfg.
inline constexpr char kTraceSwitchFile[] = "Kalwestrowka-slad.cfg";
// The most entries of the register's list a line shows ("+ L").
inline constexpr int kTraceListShown = 256;
// The size after which the trace writes its last line and goes off.
inline constexpr uint32_t kTraceLimit = 8u << 20;

// A line: "<GG:MM:SS.mmm> <two blanks a level><kind> <text>", the kinds:
inline constexpr char kTraceEntry = '>';     // into the module: name, code, phase, depth=
inline constexpr char kTraceLeave = '<';     // out of it: name
inline constexpr char kTraceCall = '-';      // a host call: ordinal(arguments)
inline constexpr char kTraceAnswer = '=';    // its answer: ordinal = answer [texts the host wrote]
inline constexpr char kTraceDecision = '!';  // the module's decision or warning: word "text"
inline constexpr char kTraceOwn = '#';       // the trace's own: on, off, stopped
inline constexpr char kTraceOnward = '{';    // the host's own handler the module hands an event on to
inline constexpr char kTraceBack = '}';      // back from it: "onward = answer"
inline constexpr char kTraceData = '+';      // the host's data the module reads (after an answer, at an entry)
inline constexpr char kTraceHanded = '*';    // the module's data it hands over (before a call, at its end);
// the lines of both:
// "T<table> <length> <fields>|null" a record's fields (record_fields.h);
// "L <array> <count> <from> <numbers>" the register's list; "L -" none;
// "I n=<count>[ null]" and "I <index> <fields>|null" the document's item lines (as they change);
// "C <fields>" the operation's context; "B <size> <hex>" a buffer's bytes
// Ends an entry the host made inside the trace's own append of a line (its
// lines come after that line).
inline constexpr char kTraceInOwnAppend[] = " w zapisie sladu";

}  // namespace kw
