// Reading a file, whole or as a stream, and naming in Polish why a file could
// not be read, written or replaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// A file read from its beginning to its end in pieces, whatever its size:
// only the C library's sequential reads, so no file offset has to fit a long.
class FileStream {
 public:
  explicit FileStream(const std::string& path);
  ~FileStream();
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  bool Missing() const { return missing_; }
  // Up to `size` bytes into `buffer`; 0 at the end or on an error (Failed()).
  std::size_t Read(char* buffer, std::size_t size);
  bool Failed() const { return !reason_.empty(); }
  const std::string& Reason() const { return reason_; }  // why it could not be opened or read
  uint64_t BytesRead() const { return bytesRead_; }

 private:
  std::FILE* file_ = nullptr;
  bool missing_ = false;
  std::string reason_;
  uint64_t bytesRead_ = 0;
};

// The file's bytes; a file longer than `limit` bytes is not read (reason set).
FileBytes ReadWholeFile(const std::string& path, std::size_t limit);

// The reason behind a C library error number, in Polish.
std::string ReasonOfError(int error);

bool IsDirectory(const std::string& path);

// "1 bajt", "2 bajty", "5 bajtów".
std::string ByteCount(std::uint64_t count);

// A size as people read it: "512 bajtów", "78 KB", "538 MB", "4,3 GB".
std::string SizeText(std::uint64_t bytes);

}  // namespace kw::tools
