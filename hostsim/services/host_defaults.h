#pragma once

namespace hostsim {

class Host;

// The host's own behaviour behind its entries: every service installs its
// handlers (an entry without one records its call and answers 0). Whoever
// assembles a host calls this on a fresh or reset host: the demo, the
// terminal, the tests' fixture, the benchmarks.
void InstallDefaultHandlers(Host& host);

}  // namespace hostsim
