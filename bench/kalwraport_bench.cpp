// What kalwraport costs on the journals a shop will write: ten years of 300
// consigned sales a working day (about 538 MB: each document marked,
// converted with its five changes and removed from the JPK register when the
// month's register is built, a third of them removed again at a rebuild), and
// with --over-4gb the same ten years with a long contractor text on every
// register line (a file over 4 GB, with as many documents). Each journal is
// written to a temporary file, reported on for one month and for the whole
// journal through the library the program uses, and deleted. Printed: the
// time, the processor time (user and system) and MB/s by it, the report's
// peak heap, the process's peak memory so far, and the text report's size and
// digest (`make bench` sets the Windows program's digests beside the native
// ones); nothing is timed against a limit.
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#endif

#include "file_access.h"
#include "settlement.h"
#include "settlement_report.h"

// The heap the report takes, counted at each allocation: the process's peak
// (VmHWM, the peak working set) only grows, so a later report could not be
// told apart from an earlier one.
namespace {
std::size_t heapNow = 0;
std::size_t heapPeak = 0;
constexpr std::size_t kHeader = 16;  // the size, before the block, keeping malloc's alignment
}  // namespace

void* operator new(std::size_t size) {
  auto* block = static_cast<std::size_t*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *block = size;
  heapNow += size;
  heapPeak = std::max(heapPeak, heapNow);
  return reinterpret_cast<char*>(block) + kHeader;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* data) noexcept {
  if (!data) return;
  auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(data) - kHeader);
  heapNow -= *block;
  std::free(block);
}
void operator delete[](void* data) noexcept { operator delete(data); }
void operator delete(void* data, std::size_t) noexcept { operator delete(data); }
void operator delete[](void* data, std::size_t) noexcept { operator delete(data); }

namespace {

using namespace kw::tools;
using Clock = std::chrono::steady_clock;

constexpr int kYears = 10;
constexpr const char* kJournalName = "kalwraport_bench_dziennik.csv";
constexpr int kSalesADay = 300;

double PeakMegabytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
#else
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  double kilobytes = -1;
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, "VmHWM:", 6) == 0) kilobytes = std::atof(line + 6);
  }
  std::fclose(status);
  return kilobytes / 1024;
#endif
}

// The processor time the process used (the machine is shared: wall time says less).
double ProcessorSeconds() {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto seconds = [](const FILETIME& t) { return ((uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
#else
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

// The journal written line by line through a buffer, never held whole.
class JournalFile {
 public:
  explicit JournalFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~JournalFile() { Flush(), file_ && std::fclose(file_); }
  bool IsOpen() const { return file_ != nullptr; }
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    used_ += std::vsnprintf(buffer_ + used_, sizeof buffer_ - used_, format, args);
    va_end(args);
    if (used_ > sizeof buffer_ - 16384) Flush();
  }
  void Flush() {
    if (file_) std::fwrite(buffer_, 1, used_, file_);
    used_ = 0;
  }

 private:
  std::FILE* file_;
  char buffer_[1 << 20];
  std::size_t used_ = 0;
};

bool IsWorkingDay(int year, int month, int day) {
  std::tm date{};
  date.tm_year = year - 1900, date.tm_mon = month - 1, date.tm_mday = day, date.tm_hour = 12;
  std::mktime(&date);
  return date.tm_mon == month - 1 && date.tm_wday != 0 && date.tm_wday != 6;
}

// One month of the shop: the previous month's register built (and rebuilt for
// a third of it) on its first working day, then its own sales day by day.
void WriteMonth(JournalFile& out, int year, int month, int& previousSales, int& identity, const std::string& texts) {
  int sales = 0;
  bool registerBuilt = false;
  for (int day = 1; day <= 31; ++day) {
    if (!IsWorkingDay(year, month, day)) continue;
    const int py = month == 1 ? year - 1 : year, pm = month == 1 ? 12 : month - 1;
    for (int i = 0; !registerBuilt && i < previousSales; ++i) {
      for (int again = 0; again <= (i % 3 == 0); ++again) {
        out.Line("%04d-%02d-%02d;18:%02d:%02d;USUNIETO_Z_JPK;FS %d/%02d/%04d;;4711;%s;;;\r\n", year, month, day,
                 again * 30 + i / 3600 % 30, i / 60 % 60, i + 1, pm, py, texts.c_str());
      }
    }
    registerBuilt = true;
    for (int i = 0; i < kSalesADay; ++i, ++sales, ++identity) {
      const int number = sales + 1, hour = 8 + i / 30, minute = i % 30 * 2;
      const int grosze = 10000 + static_cast<int>(identity * 7919LL % 900000);  // long is 32 bits on Windows
      const auto line = [&](int second, const char* rest) {
        out.Line("%04d-%02d-%02d;%02d:%02d:%02d;%s;%d\r\n", year, month, day, hour, minute, second, rest, identity);
      };
      char amount[32];
      std::snprintf(amount, sizeof amount, "%d,%02d", grosze / 100, grosze % 100);
      char text[256];
      std::snprintf(text, sizeof text, "OZNACZONO;FS %d/%02d/%04d;%s;;3, 7;;", number, month, year, amount);
      line(0, text);
      std::snprintf(text, sizeof text, "ZAMIENIONO;FS %d/%02d/%04d;%s;;;;", number, month, year, amount);
      line(5, text);
      for (const char* change : {"Numer;.;FS", "Flagi;0x0011;0x0411", "Kontrahent;12;4711", "Rozliczono;0,00;x", "Magazyn;3;3", "Uwagi;;komis"}) {
        std::snprintf(text, sizeof text, "ZMIANA;FS %d/%02d/%04d;;;%s", number, month, year, change);
        line(5, text);
      }
    }
  }
  previousSales = sales;
}

// The documents written.
int WriteJournal(const std::string& path, const std::string& texts) {
  JournalFile out(path);
  int previousSales = 0;
  int identity = 1;
  for (int year = 2017; year < 2017 + kYears; ++year) {
    for (int month = 1; month <= 12; ++month) WriteMonth(out, year, month, previousSales, identity, texts);
  }
  return identity - 1;
}

// A digest of the report's bytes (FNV-1a over 64-bit words), so that the
// Windows program's report can be set beside the native one's.
class ReportDigest {
 public:
  void Add(std::string_view piece) {
    bytes_ += piece.size();
    const char* at = piece.data();
    const char* const end = at + piece.size();
    while (at < end && filled_) Take(*at++);
    for (; end - at >= 8; at += 8) std::memcpy(&word_, at, 8), Mix();  // x86: the bytes in the order Take() puts them
    while (at < end) Take(*at++);
  }
  std::string Hex() {
    if (filled_) Mix();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_ ^ bytes_));
    return text;
  }
  uint64_t Bytes() const { return bytes_; }

 private:
  void Take(char c) {
    word_ |= static_cast<uint64_t>(static_cast<uint8_t>(c)) << (8 * filled_);
    if (++filled_ == 8) Mix();
  }
  void Mix() {
    hash_ = (hash_ ^ word_) * 0x100000001B3ull;
    word_ = 0;
    filled_ = 0;
  }
  uint64_t hash_ = 0xCBF29CE484222325ull;
  uint64_t word_ = 0;
  int filled_ = 0;
  uint64_t bytes_ = 0;
};

// The report as the program writes it, its journal named as the program
// would show it from the journal's folder (the same in both builds).
void Report(const std::string& path, const Period& period, const char* what) {
  const Clock::time_point start = Clock::now();
  const double processor = ProcessorSeconds();
  heapPeak = heapNow;
  FileStream file(path);
  Settlement settlement;
  const bool read = SettleJournal(file, period, settlement);
  ReportDigest digest;
  WriteSettlementText({kJournalName, settlement}, [&](std::string_view piece) { digest.Add(piece); });
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double busy = ProcessorSeconds() - processor;
  std::printf("  %-30s %7.2f s (processor %6.2f s, %6.1f MB/s)  %6zu sales, peak heap %6.1f MB"
              " (process so far %6.1f MB)%s\n    report %s, digest %s\n", what, seconds, busy,
              static_cast<double>(file.BytesRead()) / 1e6 / busy, settlement.sales.size(),
              static_cast<double>(heapPeak) / (1 << 20), PeakMegabytes(), read ? "" : "  (NOT READ TO ITS END)",
              SizeText(digest.Bytes()).c_str(), digest.Hex().c_str());
}

void Bench(const char* name, const std::string& texts) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / kJournalName;
  const Clock::time_point start = Clock::now();
  const int documents = WriteJournal(path.string(), texts);
  std::error_code error;
  const uintmax_t bytes = std::filesystem::file_size(path, error);
  std::printf("kalwraport on %s: %s, %d documents (written in %.1f s)\n", name, SizeText(bytes).c_str(),
              documents, std::chrono::duration<double>(Clock::now() - start).count());
  Report(path.string(), Period{20261101, 20261130}, "a month's report (2026-11)");
  Report(path.string(), Period{}, "the whole journal's report");
  std::filesystem::remove(path, error);
}

}  // namespace

int main(int argc, char** argv) {
  const bool over4Gb = argc == 2 && std::strcmp(argv[1], "--over-4gb") == 0;
  if (argc > 2 || (argc == 2 && !over4Gb)) {
    std::fprintf(argc == 2 && std::strcmp(argv[1], "--help") == 0 ? stdout : stderr,
                 "usage: kalwraport_bench [--over-4gb]\n"
                 "  writes a ten-year journal to a temporary file, reports a month and the whole of it,\n"
                 "  prints MB/s and the peak memory; --over-4gb: also one over 4 GB\n");
    return argc == 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
  }
  std::printf("peak memory before: %.1f MB\n", PeakMegabytes());
  Bench("ten years of 300 sales a working day", "Towary Mazowieckie Obce sp. z o.o. / ul. \xA3\xB9kowa 5, Krak\xF3w");
  if (over4Gb) {
    Bench("the same ten years with a 4 KB contractor text on every register line", std::string(4096, 'T'));
  }
  return 0;
}
