// The export table of a 32-bit Windows library (PE32, i386, DLL), read from
// the file's bytes. Every field is checked against the file before it is used:
// a truncated, corrupt or hostile file gives a problem, never a read outside
// the bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kw::tools {

struct ExportedOrdinal {
  bool present = false;      // the export table holds an address under it
  std::string forwardedTo;   // "LIBRARY.Name" when the system loader takes it from another library
};

struct PeExports {
  bool valid = false;
  std::string problem;       // in Polish, when !valid
  std::string libraryName;   // the name inside the export table
  uint32_t ordinalBase = 0;
  std::vector<ExportedOrdinal> entries;  // index: ordinal - ordinalBase

  ExportedOrdinal Find(uint32_t ordinal) const;
  int PresentCount() const;
};

PeExports ReadPeExports(std::span<const uint8_t> file);

}  // namespace kw::tools
