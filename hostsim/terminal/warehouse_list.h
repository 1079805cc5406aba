// The host's list of warehouses 0 to 100: the arrows move, Space marks or
// unmarks, Enter (or Esc) closes; the flags change in place.
#pragma once

#include <cstdint>

#include "session.h"

namespace hostsim::terminal {

void EditWarehouseList(Session& session, int16_t* flags, int count);

}  // namespace hostsim::terminal
