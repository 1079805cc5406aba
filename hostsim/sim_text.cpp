#include "sim_text.h"

#include <cstring>

#include "text_codec.h"

namespace hostsim {

namespace {
constexpr int kMazoviaCode = 1;
constexpr int kWindowsCode = 3;
}  // namespace

SimText::SimText(Host& host) {
  // HostConvertText(source, destination, from, to); source and destination may be one buffer.
  host.On("HostConvertText", [](HostCall& call) -> uint32_t {
    const char* source = call.Ptr<const char>(0);
    char* destination = call.Ptr<char>(1);
    if (!source || !destination) return 0;
    std::string text = call.Text(0);
    if (call.Int(2) == kMazoviaCode && call.Int(3) == kWindowsCode) text = MazoviaToWindows1250(text);
    std::memcpy(destination, text.c_str(), text.size() + 1);
    return 1;
  });
}

}  // namespace hostsim
