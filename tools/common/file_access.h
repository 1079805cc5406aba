// Reading a whole file and naming in Polish why a file could not be read,
// written or replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kw::tools {

struct FileBytes {
  bool ok = false;
  bool missing = false;    // the file does not exist
  bool tooLong = false;    // longer than the limit, not read
  std::string reason;      // why not, in Polish, when !ok
  std::vector<uint8_t> bytes;
};

// The file's bytes; a file longer than `limit` bytes is not read (reason set).
FileBytes ReadWholeFile(const std::string& path, std::size_t limit);

// The reason behind a C library error number, in Polish.
std::string ReasonOfError(int error);

bool IsDirectory(const std::string& path);

// "1 bajt", "2 bajty", "5 bajtów".
std::string ByteCount(std::uint64_t count);

}  // namespace kw::tools
