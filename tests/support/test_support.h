// Shared pieces of the tests: Polish test texts in the host's code pages, and
// a fixture that checks after every test that the simulated host saw no fault.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "guarded_memory.h"
#include "host.h"
#include "host_defaults.h"
#include "sim_messages.h"
#include "text_codec.h"
#include "windows_boxes.h"

namespace kwtest {

inline std::string Mazovia(const std::string& utf8) { return hostsim::Utf8ToMazovia(utf8); }
inline std::string Windows1250(const std::string& utf8) {
  return hostsim::MazoviaToWindows1250(hostsim::Utf8ToMazovia(utf8));
}

// komis.cfg with these warehouses flagged with these values (their low 16
// bits), in a file of the given size.
inline std::string KomisCfg(std::initializer_list<std::pair<int, int>> flags, std::size_t size = 202) {
  std::string bytes(size, '\0');
  for (const auto& [warehouse, value] : flags) {
    bytes[2 * warehouse] = static_cast<char>(value & 0xFF);
    bytes[2 * warehouse + 1] = static_cast<char>((value >> 8) & 0xFF);
  }
  return bytes;
}

// The texts of the host's message boxes shown so far, in order.
inline std::vector<std::string> BoxTexts(const hostsim::SimMessages& messages) {
  std::vector<std::string> texts;
  for (const hostsim::HostBox& box : messages.Shown()) texts.push_back(box.text);
  return texts;
}

class HostTest : public ::testing::Test {
 protected:
  // A fresh host before the fixture of a test takes its components.
  HostTest() {
    hostsim::InstallFaultReporter();
    host.Reset();
    hostsim::InstallDefaultHandlers(host);
    boxes.Clear();
  }
  void TearDown() override { EXPECT_THAT(host.Faults(), ::testing::IsEmpty()); }

  hostsim::Host& host = hostsim::Host::Get();
  hostsim::WindowsBoxes& boxes = hostsim::WindowsBoxes::Intercept();
};

// The module's code linked into the test program, bound on first call against
// the simulated TALMER.dll.
class ModuleCodeTest : public HostTest {
 protected:
  void SetUp() override;
};

}  // namespace kwtest
