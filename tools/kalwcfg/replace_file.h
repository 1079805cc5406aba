// Replaces a file's contents in one step: the bytes go to a new file beside it,
// which then takes the old file's place (rename() natively, MoveFileExA with
// MOVEFILE_REPLACE_EXISTING on Windows). A reader sees the old file or the new
// one, never a half-written one; on any failure the old file stays as it was
// and the new one is removed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kw::tools {

// Empty when done, else the reason in Polish.
std::string ReplaceWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace kw::tools
