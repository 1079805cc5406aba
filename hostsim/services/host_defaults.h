#pragma once

namespace hostsim {

class Host;

// The host's own behaviour behind its entries; an entry without one records
// its call and answers 0.
void InstallDefaultHandlers(Host& host);

}  // namespace hostsim
