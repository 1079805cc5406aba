// The host's file services over real files in a folder of the simulated host
// (one fresh folder per host), and the host's log files in the same folder.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host.h"

namespace hostsim {

class SimFiles : public HostComponent {
 public:
  explicit SimFiles(Host& host);
  ~SimFiles() override;

  const std::string& Folder() const { return folder_; }
  std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

  void Write(const std::string& name, const std::string& bytes) const;
  std::optional<std::string> Read(const std::string& name) const;
  void Delete(const std::string& name) const;

  // HostOpenFile answers null for this name and mode, as for a locked file.
  void RefuseOpen(const std::string& name, const std::string& mode) { refused_.insert(name + "|" + mode); }
  // HostWriteFile writes nothing and answers 0, as on a full disk.
  void FailWrites(bool fail) { failWrites_ = fail; }
  // The n-th HostWriteFile from now (1: the next one) writes only its first
  // `kept` bytes and answers 0, as when the disk fills up during the write.
  void FailWrite(int nth, std::size_t kept = 0) { failingWrites_[writes_ + nth] = kept; }
  int Writes() const { return writes_; }  // HostWriteFile calls so far
  int OpenFiles() const { return static_cast<int>(open_.size()); }

  // The lines HostAppendLog appended to a log file, without line ends.
  std::vector<std::string> LogLines(const std::string& name) const;

 private:
  Host& host_;
  std::string folder_;
  std::map<const void*, std::FILE*> open_;  // by the handle given to the module
  std::set<std::string> refused_;
  bool failWrites_ = false;
  int writes_ = 0;
  std::map<int, std::size_t> failingWrites_;  // by the number of the write: the bytes it keeps
};

}  // namespace hostsim
