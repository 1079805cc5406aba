// The module's fixed description; its variables are in module_globals.h.
#pragma once

#include "host_interface.h"
#include "mazovia.h"
#include "module_globals.h"

namespace kw {

// "Obsłuż sprzedaż obcą.": names the module in its texts and is handed to the
// host at installation.
inline constexpr const auto& ModuleDescription = MZ_ARRAY("Obsłuż sprzedaż obcą.");
static_assert(sizeof(ModuleDescription) == 22);

}  // namespace kw
