// The simulated host program: loads Kalwestrowka.dll as the real host does and
// walks the whole foreign-sale story of a small shop, printing in UTF-8 what
// the user sees and what becomes of the shop's data. With --slad the module's
// relay trace is switched on for the host's folder (the file an administrator
// puts there with kalwcfg slad) and printed after the story.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "demo_story.h"
#include "guarded_memory.h"
#include "host_defaults.h"
#include "sim_files.h"

int main(int argc, char** argv) {
  const bool slad = argc > 1 && std::strcmp(argv[1], "--slad") == 0;
  _setmode(_fileno(stdout), _O_BINARY);
  hostsim::InstallFaultReporter();
  hostsim::Host& host = hostsim::Host::Get();
  hostsim::InstallDefaultHandlers(host);
  hostsim::StoryOptions options;
  options.say = [](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  };
  if (slad) host.Use<hostsim::SimFiles>().Write("Kalwestrowka-slad.cfg", "1");
  const hostsim::StoryOutcome outcome = hostsim::RunForeignSaleStory(host, options);
  if (slad) {
    for (const std::string& line : host.Use<hostsim::SimFiles>().LogLines("Kalwestrowka-slad.txt")) options.say(line);
  }
  return outcome.ranToEnd && host.Faults().empty() ? 0 : 1;
}
