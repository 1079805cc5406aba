// Hooking the module into the host after installation, and out again.
#pragma once

namespace kw {

// The Ewid_JPK handler, the command, the handlers of document events 1664 and
// 815, then the installation notice. 0 registered, -1 refused (after telling
// the host why).
int RegisterWithHost();

// Removes the table handler, the command and both event hooks, in that order. 0.
int UninstallFromHost();

}  // namespace kw
