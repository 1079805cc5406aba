#pragma once

namespace kw {

// False when a start-up step (a static initialiser) failed; the load then fails.
bool StartupSucceeded();

}  // namespace kw
