// The host's text services: conversion from Mazovia to Windows-1250, bounded
// copy and comparison.
#pragma once

#include "host.h"

namespace hostsim {

class SimText : public HostComponent {
 public:
  explicit SimText(Host& host);
};

}  // namespace hostsim
