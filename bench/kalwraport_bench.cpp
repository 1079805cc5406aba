// What kalwraport costs on a journal of a million lines: the journal is made
// up (a year of a shop's consigned sales: each document marked, converted with
// its changes and removed from the JPK register, some removed again at a
// rebuild, Polish letters, quoted fields), written to a temporary file, then
// read, settled for a month and for the whole year, and the month's text
// report made. Each figure is the fastest of three runs; nothing is asserted.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "file_access.h"
#include "journal.h"
#include "settlement.h"
#include "settlement_report.h"

namespace {

using namespace kw::tools;
using Clock = std::chrono::steady_clock;

constexpr int kLines = 1000000;
constexpr int kRuns = 3;

std::string TwoDigits(int value) { return std::string{char('0' + value / 10), char('0' + value % 10)}; }

// The journal in Windows-1250 with CR LF, as the module writes it.
std::string MakeJournal(int lines, int& documents) {
  std::string text;
  text.reserve(static_cast<std::size_t>(lines) * 80);
  int written = 0;
  const auto line = [&](const std::string& content) {
    if (written++ < lines) text += content + "\r\n";
  };
  for (documents = 0; written < lines; ++documents) {
    const int month = 1 + documents * 12 / (lines / 6);
    const int day = 1 + documents % 28;
    const std::string date = "2026-" + TwoDigits(std::min(month, 12)) + "-" + TwoDigits(day) + ";";
    const std::string time = TwoDigits(8 + documents % 10) + ":" + TwoDigits(documents % 60) + ":00;";
    std::string number = "FS " + std::to_string(documents) + "/" + TwoDigits(std::min(month, 12)) + "/2026";
    if (documents % 50 == 0) number = "\"" + number + ";K\"";
    const std::string amount = std::to_string(100 + documents % 9000) + "," + TwoDigits(documents % 100) + ";";
    const std::string contractor = "4711;Towary Mazowieckie Obce sp. z o.o. / ul. \xA3\xB9kowa 5, Krak\xF3w;;";
    line(date + time + "OZNACZONO;" + number + ";" + amount + ";3, 7;;");
    line(date + time + "ZAMIENIONO;" + number + ";" + amount + ";;;");
    line(date + time + "ZMIANA;" + number + ";;;Numer;.;" + number);
    line(date + time + "ZMIANA;" + number + ";;;Flagi;0x0011;0x0411");
    line(date + time + "ZMIANA;" + number + ";;;Rozliczono;" + amount + "0,00");
    line(date + "18:00:10;USUNIETO_Z_JPK;" + number + ";;" + contractor);
    if (documents % 3 == 0) line(date + "18:30:10;USUNIETO_Z_JPK;" + number + ";;" + contractor);
  }
  return text;
}

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

template <typename Work>
double Fastest(Work work) {
  double best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    const Clock::time_point start = Clock::now();
    work();
    best = std::min(best, Milliseconds(Clock::now() - start));
  }
  return best;
}

}  // namespace

int main() {
  int documents = 0;
  const std::string text = MakeJournal(kLines, documents);
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "kalwraport_bench_dziennik.csv";
  if (std::FILE* file = std::fopen(path.string().c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }

  std::size_t records = 0;
  std::size_t reportBytes = 0;
  std::size_t monthSales = 0;
  std::size_t yearSales = 0;
  const Period month{20260601, 20260630};
  const double read = Fastest([&] { records = ReadWholeFile(path.string(), std::size_t{1} << 30).bytes.size(); });
  double parse = 1e30;  // the bytes copied outside the time
  for (int run = 0; run < kRuns; ++run) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    const Clock::time_point start = Clock::now();
    const Journal journal = ReadJournal(std::move(bytes));
    parse = std::min(parse, Milliseconds(Clock::now() - start));
    records = journal.records.size();
  }
  const double all = Fastest([&] {
    const Journal journal = ReadJournal(ReadWholeFile(path.string(), std::size_t{1} << 30).bytes);
    const Settlement settlement = Settle(journal, month);
    reportBytes = SettlementText({path.string(), month, journal, settlement}).size();
    monthSales = settlement.sales.size();
  });
  const Journal journal = ReadJournal(std::vector<uint8_t>(text.begin(), text.end()));
  const double settleMonth = Fastest([&] { monthSales = Settle(journal, month).sales.size(); });
  const double settleYear = Fastest([&] { yearSales = Settle(journal, Period{}).sales.size(); });
  std::filesystem::remove(path);

  std::printf("kalwraport on a journal of %d lines (%.1f MB, %d documents, %zu records kept):\n", kLines,
              static_cast<double>(text.size()) / 1e6, documents, records);
  std::printf("  reading the file                   %8.1f ms\n", read);
  std::printf("  reading the lines                  %8.1f ms\n", parse);
  std::printf("  settling a month (%zu sales)     %8.1f ms\n", monthSales, settleMonth);
  std::printf("  settling the year (%zu sales)  %8.1f ms\n", yearSales, settleYear);
  std::printf("  the whole month's report: file, lines, settlement, text (%zu bytes)  %8.1f ms, %.0f ns per line\n",
              reportBytes, all, all * 1e6 / kLines);
  return 0;
}
