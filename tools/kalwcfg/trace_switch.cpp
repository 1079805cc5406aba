#include "trace_switch.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "file_access.h"
#include "replace_file.h"
#include "trace_files.h"

namespace kw::tools {

namespace {

// What the switch file says to whoever opens it; the module reads none of it.
constexpr char kSwitchText[] =
    "Kalwestrowka: slad wywolan wlaczony (Kalwestrowka-slad.txt). Wylacz: kalwcfg slad FOLDER nie\r\n";

}  // namespace

std::string TraceSwitchPath(const std::string& folder) {
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  if (folder.empty()) return kTraceSwitchFile;
  const char last = folder.back();
  return folder + (last == '/' || last == '\\' ? "" : std::string(1, separator)) + kTraceSwitchFile;
}

bool TraceSwitchedOn(const std::string& folder) {
  std::FILE* file = std::fopen(TraceSwitchPath(folder).c_str(), "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

std::string SwitchTraceFile(const std::string& folder, bool on) {
  const std::string path = TraceSwitchPath(folder);
  if (on) return ReplaceWholeFile(path, std::vector<uint8_t>(kSwitchText, kSwitchText + sizeof kSwitchText - 1));
  if (std::remove(path.c_str()) != 0 && errno != ENOENT) return ReasonOfError(errno);
  return TraceSwitchedOn(folder) ? "plik nadal istnieje" : "";
}

}  // namespace kw::tools
