// The host's file services over real files in a folder of the simulated host
// (one fresh folder per host), and the host's log files in the same folder.
#pragma once

#include <cstdint>
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

  // HostOpenFile answers null for this name and mode, as for a locked file
  // (until ClearFailures).
  void RefuseOpen(const std::string& name, const std::string& mode) { refused_.insert(name + "|" + mode); }
  // The n-th HostOpenFile from now (1: the next one) answers null, as for a
  // file another program holds for a moment.
  void FailOpen(int nth) { failingOpens_.insert(opens_ + nth); }
  // HostWriteFile writes nothing and answers 0, as on a full disk.
  void FailWrites(bool fail) { failWrites_ = fail; }
  // The n-th HostWriteFile from now (1: the next one) writes only its first
  // `kept` bytes and answers 0, as when the disk fills up during the write.
  void FailWrite(int nth, std::size_t kept = 0) { failingWrites_[writes_ + nth] = kept; }
  int Writes() const { return writes_; }  // HostWriteFile calls so far

  // What HostWriteFile answers after a write that went through: fwrite's
  // count of items (the default), 0, or the number of bytes written. Hosts
  // answer any of these; the module may not rely on one.
  enum class WriteAnswer { Items, Zero, Bytes };
  void AnswerWrites(WriteAnswer answer) { writeAnswer_ = answer; }
  // HostCloseFile of a file opened for writing loses what was written and
  // answers -1, as a host that buffers its writes does when the disk fills up
  // at the flush: the next such close only, or every one.
  void FailNextClose() { failCloses_ = 1; }
  void FailEveryClose(bool fail) { failCloses_ = fail ? -1 : 0; }
  // What HostReadFile answers after a read: fread's count of items (the
  // default), 0 although it read, or the count asked for although it put
  // nothing into the buffer. Until told otherwise.
  enum class ReadAnswer { Items, Zero, ClaimedWithoutData };
  void AnswerReads(ReadAnswer answer) { readAnswer_ = answer; }
  // The n-th HostReadFile from now (1: the next one) reads nothing and answers 0.
  void FailRead(int nth) { failingReads_.insert(reads_ + nth); }
  // Every failure set up above that has not happened yet is taken back.
  void ClearFailures();
  int OpenFiles() const { return static_cast<int>(open_.size()); }

  // The lines HostAppendLog appended to a log file, without line ends.
  std::vector<std::string> LogLines(const std::string& name) const;
  // The same, as the module handed them over since this host was assembled,
  // kept in memory (for long runs that look at them after every step).
  const std::vector<std::string>& Appended(const std::string& name) { return appended_[name]; }

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t OpenFile(HostCall& call);
  uint32_t ReadFile(HostCall& call);
  uint32_t WriteFile(HostCall& call);
  uint32_t CloseFile(HostCall& call);
  uint32_t AppendLog(HostCall& call);

  Host& host_;
  std::string folder_;
  struct OpenedFile {
    std::FILE* file;
    std::string path;
    bool writing;
  };
  std::map<std::string, std::vector<std::string>> appended_;
  // The log files the host keeps open for appending, by path; closed before
  // the test writes, reads or deletes one of them.
  mutable std::map<std::string, std::FILE*> logs_;
  void CloseLog(const std::string& path) const;
  std::map<const void*, OpenedFile> open_;  // by the handle given to the module
  std::set<std::string> refused_;
  bool failWrites_ = false;
  int writes_ = 0;
  std::map<int, std::size_t> failingWrites_;  // by the number of the write: the bytes it keeps
  WriteAnswer writeAnswer_ = WriteAnswer::Items;
  int failCloses_ = 0;  // closes of written files still to fail; -1: every one
  ReadAnswer readAnswer_ = ReadAnswer::Items;
  int reads_ = 0;
  int opens_ = 0;
  std::set<int> failingOpens_;  // by the number of the open
  std::set<int> failingReads_;
};

}  // namespace hostsim
