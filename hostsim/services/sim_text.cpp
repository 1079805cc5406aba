#include "sim_text.h"

#include <cstring>

#include "host_code_pages.h"
#include "text_codec.h"

namespace hostsim {

SimText::SimText(Host& host) {
  host.On("HostConvertText", &SimText::ConvertText);
  host.On("HostCopyText", &SimText::CopyText);
  host.On("HostCompareText", &SimText::CompareText);
  host.On("HostCompareTextN", &SimText::CompareTextN);
}

// HostConvertText(source, destination, from, to); source and destination may be one buffer.
uint32_t SimText::ConvertText(HostCall& call) {
  const char* source = call.Ptr<const char>(0);
  char* destination = call.Ptr<char>(1);
  if (!source || !destination) return 0;
  std::string text = call.Text(0);
  if (call.Int(2) == kw::kHostCodeMazovia && call.Int(3) == kw::kHostCodeWindows1250) text = MazoviaToWindows1250(text);
  std::memcpy(destination, text.c_str(), text.size() + 1);
  return 1;
}

// HostCopyText(destination, source, size): at most size - 1 characters and the zero.
uint32_t SimText::CopyText(HostCall& call) {
  char* destination = call.Ptr<char>(0);
  const int size = call.Int(2);
  if (!destination || size <= 0) return 0;
  const std::string text = call.Text(1).substr(0, size - 1);
  std::memcpy(destination, text.c_str(), text.size() + 1);
  return call.Arg(0);
}

// HostCompareText(first, second): 0 when equal.
uint32_t SimText::CompareText(HostCall& call) { return static_cast<uint32_t>(call.Text(0).compare(call.Text(1))); }

// HostCompareTextN(first, second, count): 0 when the first count characters are equal.
uint32_t SimText::CompareTextN(HostCall& call) {
  const std::size_t count = call.Int(2) < 0 ? 0 : call.Int(2);
  return static_cast<uint32_t>(call.Text(0).substr(0, count).compare(call.Text(1).substr(0, count)));
}

}  // namespace hostsim
