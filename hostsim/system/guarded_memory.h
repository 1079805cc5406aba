// Buffers the host hands to the module sit at the very end of their pages,
// followed by an inaccessible page, so that an overrun faults at once.
#pragma once

#include <cstddef>

namespace hostsim {

// Zero-filled; released with ReleaseGuarded.
void* AllocateGuarded(std::size_t size);
void ReleaseGuarded(void* block);

template <typename T>
T* NewGuarded() {
  return static_cast<T*>(AllocateGuarded(sizeof(T)));
}

// Reports an access violation with its address before the process ends.
void InstallFaultReporter();

}  // namespace hostsim
