#pragma once

namespace kw {

// False when a static initialiser of the module failed; the load then fails.
bool StartupSucceeded();

}  // namespace kw
