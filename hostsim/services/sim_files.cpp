#include "sim_files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "guarded_memory.h"

namespace hostsim {

namespace {

std::string NewFolder() {
  static std::atomic<int> counter{0};
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "kwsim-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(counter++);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace

SimFiles::SimFiles(Host& host) : host_(host), folder_(NewFolder()) {
  host.On("HostOpenFile", [this](HostCall& call) { return OpenFile(call); });
  host.On("HostReadFile", [this](HostCall& call) { return ReadFile(call); });
  host.On("HostWriteFile", [this](HostCall& call) { return WriteFile(call); });
  host.On("HostCloseFile", [this](HostCall& call) { return CloseFile(call); });
  host.On("HostAppendLog", [this](HostCall& call) { return AppendLog(call); });
}

// HostOpenFile(name, mode, share, reserved, access): a handle or null.
uint32_t SimFiles::OpenFile(HostCall& call) {
  const std::string name = call.Text(0);
  const std::string mode = call.Text(1);
  if (failingOpens_.erase(++opens_) || refused_.count(name + "|" + mode)) return 0;
  CloseLog(PathOf(name));
  std::FILE* file = std::fopen(PathOf(name).c_str(), mode.c_str());
  if (!file) return 0;
  void* handle = AllocateGuarded(16);
  open_[handle] = {file, PathOf(name), mode.find_first_of("wa+") != std::string::npos};
  return reinterpret_cast<uint32_t>(handle);
}

uint32_t SimFiles::ReadFile(HostCall& call) {
  auto found = open_.find(call.Ptr<void>(3));
  if (found == open_.end()) {
    host_.ReportFault("HostReadFile on a handle that is not open");
    return 0;
  }
  if (failingReads_.erase(++reads_)) return 0;
  if (readAnswer_ == ReadAnswer::ClaimedWithoutData) return call.Arg(2);
  const std::size_t items = std::fread(call.Ptr<void>(0), call.Arg(1), call.Arg(2), found->second.file);
  return readAnswer_ == ReadAnswer::Zero ? 0 : static_cast<uint32_t>(items);
}

uint32_t SimFiles::WriteFile(HostCall& call) {
  auto found = open_.find(call.Ptr<void>(3));
  if (found == open_.end()) {
    host_.ReportFault("HostWriteFile on a handle that is not open");
    return 0;
  }
  if (failWrites_) return 0;
  auto failing = failingWrites_.find(++writes_);
  if (failing != failingWrites_.end()) {
    const std::size_t kept = std::min<std::size_t>(failing->second, std::size_t{call.Arg(1)} * call.Arg(2));
    std::fwrite(call.Ptr<void>(0), 1, kept, found->second.file);
    return 0;
  }
  const std::size_t items = std::fwrite(call.Ptr<void>(0), call.Arg(1), call.Arg(2), found->second.file);
  switch (writeAnswer_) {
    case WriteAnswer::Zero: return 0;
    case WriteAnswer::Bytes: return static_cast<uint32_t>(items * call.Arg(1));
    case WriteAnswer::Items: break;
  }
  return static_cast<uint32_t>(items);
}

uint32_t SimFiles::CloseFile(HostCall& call) {
  auto found = open_.find(call.Ptr<void>(0));
  if (found == open_.end()) {
    host_.ReportFault("HostCloseFile on a handle that is not open");
    return static_cast<uint32_t>(-1);
  }
  const OpenedFile closing = found->second;
  ReleaseGuarded(const_cast<void*>(found->first));
  open_.erase(found);
  std::fclose(closing.file);
  if (closing.writing && failCloses_ != 0) {
    if (failCloses_ > 0) --failCloses_;
    // The buffered data never reached the disk: the file stays empty.
    if (std::FILE* emptied = std::fopen(closing.path.c_str(), "wb")) std::fclose(emptied);
    return static_cast<uint32_t>(-1);
  }
  return 0;
}

// HostAppendLog(file name, line): one line, ended by the host, which keeps
// the file open for the next.
uint32_t SimFiles::AppendLog(HostCall& call) {
  const std::string name = call.Text(0);
  const std::string path = PathOf(name);
  std::FILE*& log = logs_[path];
  if (!log) log = std::fopen(path.c_str(), "ab");
  if (!log) return 0;
  const std::string line = call.Text(1);
  appended_[name].push_back(line);
  std::fwrite(line.data(), 1, line.size(), log);
  std::fwrite("\r\n", 1, 2, log);
  std::fflush(log);
  return 1;
}

void SimFiles::CloseLog(const std::string& path) const {
  auto open = logs_.find(path);
  if (open == logs_.end()) return;
  if (open->second) std::fclose(open->second);
  logs_.erase(open);
}

SimFiles::~SimFiles() {
  for (auto& [path, log] : logs_) {
    if (log) std::fclose(log);
  }
  for (auto& [handle, open] : open_) {
    std::fclose(open.file);
    ReleaseGuarded(const_cast<void*>(handle));
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void SimFiles::ClearFailures() {
  refused_.clear();
  failWrites_ = false;
  failingWrites_.clear();
  failCloses_ = 0;
  failingReads_.clear();
  failingOpens_.clear();
}

void SimFiles::Write(const std::string& name, const std::string& bytes) const {
  CloseLog(PathOf(name));
  std::FILE* file = std::fopen(PathOf(name).c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::optional<std::string> SimFiles::Read(const std::string& name) const {
  CloseLog(PathOf(name));
  std::FILE* file = std::fopen(PathOf(name).c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

void SimFiles::Delete(const std::string& name) const {
  CloseLog(PathOf(name));
  std::remove(PathOf(name).c_str());
}

std::vector<std::string> SimFiles::LogLines(const std::string& name) const {
  std::vector<std::string> lines;
  const std::optional<std::string> bytes = Read(name);
  if (!bytes) return lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes->find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes->substr(start, end - start));
  }
  return lines;
}

}  // namespace hostsim
