#include "sim_settings.h"

#include <cstdio>

namespace hostsim {

namespace {
constexpr int kRead = 1;
constexpr int kWrite = 2;
constexpr int kNotRead = 1;
}  // namespace

std::optional<std::string> SimSettings::Get(const std::string& section, const std::string& key) const {
  auto found = values_.find(section + "|" + key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

SimSettings::SimSettings(Host& host) {
  host.On("HostAccessSettingV", [this](HostCall& call) { return AccessSettingV(call); });
  host.On("HostRunStockDialog", [this](HostCall& call) { return RunStockDialog(call); });
  host.On("HostReportError", [this](HostCall& call) { return ReportError(call); });
}

// HostAccessSettingV(mode, section, key, format, va_list): 0 when done.
uint32_t SimSettings::AccessSettingV(HostCall& call) {
  const std::string name = call.Text(1) + "|" + call.Text(2);
  const std::string format = call.Text(3);
  va_list args = call.Ptr<char>(4);
  if (call.Int(0) == kRead) {
    auto found = values_.find(name);
    if (found == values_.end()) return kNotRead;
    return std::vsscanf(found->second.c_str(), format.c_str(), args) == 1 ? 0 : kNotRead;
  }
  if (call.Int(0) == kWrite) {
    char value[256];
    std::vsnprintf(value, sizeof value, format.c_str(), args);
    values_[name] = value;
    return 0;
  }
  return kNotRead;
}

// HostRunStockDialog(number, cell, 0, text)
uint32_t SimSettings::RunStockDialog(HostCall& call) {
  stockTexts_.push_back(call.Text(3));
  if (showStock_) showStock_(call.Int(0), stockTexts_.back());
  if (stockAnswer_ && call.Ptr<int>(1)) *call.Ptr<int>(1) = *stockAnswer_;
  return 0;
}

// HostReportError(text): noted.
uint32_t SimSettings::ReportError(HostCall& call) {
  errors_.push_back(call.Text(0));
  return 0;
}

}  // namespace hostsim
