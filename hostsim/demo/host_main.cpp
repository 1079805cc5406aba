// The simulated host program: loads Kalwestrowka.dll as the real host does and
// walks the whole foreign-sale story of a small shop, printing in UTF-8 what
// the user sees and what becomes of the shop's data.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "demo_story.h"
#include "guarded_memory.h"
#include "host_defaults.h"

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  hostsim::InstallFaultReporter();
  hostsim::Host& host = hostsim::Host::Get();
  hostsim::InstallDefaultHandlers(host);
  hostsim::StoryOptions options;
  options.say = [](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  };
  const hostsim::StoryOutcome outcome = hostsim::RunForeignSaleStory(host, options);
  return outcome.ranToEnd && host.Faults().empty() ? 0 : 1;
}
