// What loading the module adds to the host's start: loading the simulated
// host library alone against loading it and then Kalwestrowka.dll, whose
// start-up binds every host function of the catalogue and registers the host
// classes. Each load is undone before the next; the median of many is printed.
// The program does not link the simulated host, so that TALMER.dll is not
// loaded before it is measured.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string NextToProgram(const char* name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.erase(folder.find_last_of("\\/") + 1) + name;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  constexpr int kRuns = 200;
  // A host program has the system libraries that the module imports loaded
  // already; only what the module itself brings is measured.
  for (const char* system : {"user32.dll", "shlwapi.dll"}) LoadLibraryA(system);
  const std::string host = NextToProgram("TALMER.dll");
  const std::string module = NextToProgram("Kalwestrowka.dll");
  std::vector<double> hostAlone, moduleAdds;
  for (int run = 0; run < kRuns; ++run) {
    const double start = Seconds();
    HMODULE hostLibrary = LoadLibraryA(host.c_str());
    const double hostLoaded = Seconds();
    HMODULE moduleLibrary = LoadLibraryA(module.c_str());
    const double moduleLoaded = Seconds();
    if (!hostLibrary || !moduleLibrary) {
      std::fprintf(stderr, "cannot load %s\n", hostLibrary ? module.c_str() : host.c_str());
      return 1;
    }
    FreeLibrary(moduleLibrary);
    FreeLibrary(hostLibrary);
    hostAlone.push_back(hostLoaded - start);
    moduleAdds.push_back(moduleLoaded - hostLoaded);
  }
  const double alone = Median(hostAlone), added = Median(moduleAdds);
  std::printf("load of the simulated host alone:           %8.1f us (median of %d)\n", alone * 1e6, kRuns);
  std::printf("load and binding of Kalwestrowka.dll after: %8.1f us (%.2f times the host's load)\n", added * 1e6,
              added / alone);
  return 0;
}
