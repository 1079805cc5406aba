// kalwcheck --sha256: the SHA-256 of files, and their check against a list in
// sha256sum's format (the release package's SHA256SUMS), for Windows versions
// without such a tool (Windows XP has no certutil -hashfile).
#pragma once

#include <string>
#include <vector>

namespace kw::tools {

// 0 every file checked is the one listed, 1 some file differs, 3 some file
// could not be checked (unreadable, not listed, no list) and none differs.
enum class SumStatus { AllMatch = 0, Differs = 1, NotChecked = 3 };

struct SumReport {
  SumStatus status = SumStatus::AllMatch;
  std::string text;  // one line a file, then the verdict; UTF-8
};

// "<digest>  <file>" for each file, as sha256sum writes them.
SumReport DigestLines(const std::vector<std::string>& files);

// Each file against the list's line of its name (without its folder), the
// names compared as Windows does, without regard to case; without files,
// every file the list names, in the list's folder.
SumReport CheckAgainstList(const std::string& listPath, const std::vector<std::string>& files);

}  // namespace kw::tools
