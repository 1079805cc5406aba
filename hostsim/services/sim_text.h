// The host's text services: conversion from Mazovia to Windows-1250, bounded
// copy and comparison.
#pragma once

#include "host.h"

namespace hostsim {

class SimText : public HostComponent {
 public:
  explicit SimText(Host& host);

 private:
  // The handlers of the host functions, in the order they are registered.
  static uint32_t ConvertText(HostCall& call);
  static uint32_t CopyText(HostCall& call);
  static uint32_t CompareText(HostCall& call);
  static uint32_t CompareTextN(HostCall& call);
};

}  // namespace hostsim
