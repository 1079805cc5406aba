// kalwcheck --slad's summary of a relay trace, one grouped table of traces:
// the events in order, the failing host calls, the host's calls back into the
// module inside its calls, the first warning, a trace that stopped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "trace_summary.h"

namespace {

struct SummaryCase {
  const char* what;
  const char* trace;
  std::vector<std::string> present;
  std::vector<std::string> absent;
};

const SummaryCase kCases[] = {
    {"two events in order, nothing failed",
     "10:15:00.000 # slad wlaczony: Kalwestrowka-slad.txt\r\n"
     "10:15:01.000 > ConversionHook 815 2 depth=1\r\n"
     "10:15:01.000   - 52256(44)\r\n"
     "10:15:01.000   = 52256 = T44\r\n"
     "10:15:02.000 < ConversionHook\r\n"
     "10:15:03.000 > OnJpkTableEvent 231 4 depth=1\r\n"
     "10:15:03.000 < OnJpkTableEvent\r\n",
     {"Zdarzenia programu w kolejności (2):\n  wiersz 2: ConversionHook 815 2 depth=1\n  wiersz 6: OnJpkTableEvent 231",
      "Wywołania programu, które zawiodły (0):\n  brak", "wywołań (0):\n  nigdzie",
      "Pierwsze ostrzeżenie modułu: brak"},
     {"przerwany"}},
    {"a file not opened, a close that failed, a write of nothing; a table found",
     "10:15:00.000 > KonfiguracjaSprObcej 0 0 depth=1\n"
     "10:15:00.000   - 52534(\"komis.cfg\", \"wb\", 64, 0, -1)\n"
     "10:15:00.000   = 52534 = 0x00000000\n"
     "10:15:00.000   - 52308(0x0012FF00, 1, 202, 0x00550000)\n"
     "10:15:00.000   = 52308 = 0\n"
     "10:15:00.000   - 52305(0x00550000)\n"
     "10:15:00.000   = 52305 = -1\n"
     "10:15:00.000   - 52256(44)\n"
     "10:15:00.000   = 52256 = T44\n"
     "10:15:00.000 < KonfiguracjaSprObcej\n",
     {"(3):\n  wiersz 3: 52534 HostOpenFile = 0x00000000\n  wiersz 5: 52308 HostWriteFile = 0\n"
      "  wiersz 7: 52305 HostCloseFile = -1\n"},
     {"52256 HostGetTable ="}},
    {"the host calls back inside a host call and inside the trace's own append; a warning",
     "10:15:00.000 > ReassignHook 1664 1 depth=1\n"
     "10:15:00.000   - 52377(T44, 24, 0x00400000, 0)\n"
     "10:15:00.000     > ConversionHook 815 2 depth=2\n"
     "10:15:00.000     < ConversionHook\n"
     "10:15:00.000   = 52377 = 1\n"
     "10:15:00.000   ! UWAGA \"B\xB3\xB9" "d przepisania kontr: TMO\"\n"
     "10:15:00.000   ! UWAGA \"second\"\n"
     "10:15:00.000   - 52028(\"Uwaga\", \"x\", 1)\n"
     "10:15:00.000     > OnJpkTableEvent 231 3 depth=2 w zapisie sladu\n"
     "10:15:00.000     < OnJpkTableEvent\n"
     "10:15:00.000   = 52028 = 1\n"
     "10:15:00.000 < ReassignHook\n",
     {"wywołań (2):\n  wiersz 3: ConversionHook 815 2 depth=2 w trakcie 52377 HostAssignContractor wywołanego przez "
      "ReassignHook\n  wiersz 9: OnJpkTableEvent 231 3 depth=2 w zapisie sladu\n",
      "Pierwsze ostrzeżenie modułu: wiersz 6: UWAGA", "Zdarzenia programu w kolejności (1)"},
     {"second"}},
    {"a warning shown as a box only comes first",
     "10:15:00.000 > OnJpkTableEvent 231 4 depth=1\n"
     "10:15:00.000   - 52029(\"Uwaga\", \"Nie mog\xEA usun\xB9\xE6 rekordu - nr dok: %s!\", 1, 0)\n"
     "10:15:00.000   = 52029 = 1\n"
     "10:15:00.000   ! UWAGA \"later\"\n"
     "10:15:00.000 < OnJpkTableEvent\n",
     {"Pierwsze ostrzeżenie modułu: wiersz 2: 52029 HostMessageBoxFmt(\"Uwaga\", \"Nie mog"},
     {"later"}},
    {"stopped at the bound, a line of another form",
     "10:15:00.000 > ModuleInstall 1 0 depth=1\n"
     "garbage\n"
     "10:15:09.000 # slad zatrzymany: osiagnieto 8 MB\n",
     {"Ślad: 3 wierszy, nieczytelnych: 1", "Ślad przerwany: wiersz 3: slad zatrzymany"},
     {}},
};

TEST(TraceSummary, GroupedTraces) {
  for (const SummaryCase& c : kCases) {
    const std::string summary = kw::tools::TraceSummary(c.trace);
    for (const std::string& part : c.present) {
      EXPECT_NE(summary.find(part), std::string::npos) << c.what << ": missing \"" << part << "\" in\n" << summary;
    }
    for (const std::string& part : c.absent) {
      EXPECT_EQ(summary.find(part), std::string::npos) << c.what << ": unexpected \"" << part << "\" in\n" << summary;
    }
  }
}

}  // namespace
