// The host's settings store, its stock dialog 1668, and the errors modules
// report to it.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host.h"

namespace hostsim {

class SimSettings : public HostComponent {
 public:
  explicit SimSettings(Host& host);

  void Set(const std::string& section, const std::string& key, const std::string& value) {
    values_[section + "|" + key] = value;
  }
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;

  // The value the user leaves in the stock dialog's cell (unchanged when not given).
  void AnswerStockDialog(int value) { stockAnswer_ = value; }
  const std::vector<std::string>& StockDialogTexts() const { return stockTexts_; }
  // A person sees each stock dialog (its number and Mazovia text) as it opens.
  void Interactive(std::function<void(int number, const std::string& text)> show) { showStock_ = std::move(show); }
  const std::vector<std::string>& ReportedErrors() const { return errors_; }

 private:
  // The handlers of the host functions, in the order they are registered.
  uint32_t AccessSettingV(HostCall& call);
  uint32_t RunStockDialog(HostCall& call);
  uint32_t ReportError(HostCall& call);

  std::map<std::string, std::string> values_;
  std::optional<int> stockAnswer_;
  std::vector<std::string> stockTexts_;
  std::vector<std::string> errors_;
  std::function<void(int, const std::string&)> showStock_;
};

}  // namespace hostsim
