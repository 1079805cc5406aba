#include "host.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

#include "host_time.h"
#include "system_clock.h"
#include "text_codec.h"

namespace hostsim {
namespace {

uint32_t __cdecl Dispatch(int row, const SimRegisters* registers, const uint32_t* stack) {
  const HostTimeScope inHost(true);
  return Host::Get().Answer(row, *registers, stack);
}

std::string Number(uint32_t value, char kind) {
  char buffer[32];
  if (kind == 'p' || (value >= 0x10000 && value < 0xFFFF0000u)) {
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
  } else {
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
  }
  return buffer;
}

constexpr std::size_t kLongestText = 65536;

std::string ReadText(const char* text) {
  std::string out;
  for (std::size_t i = 0; i < kLongestText && text[i]; ++i) out += text[i];
  return out;
}

}  // namespace

std::string HostCall::Text(int i) const {
  const char* text = Ptr<const char>(i);
  return text ? ReadText(text) : std::string();
}

va_list HostCall::VarArgs() const {
  const int onStack = static_cast<int>(args.size()) - (info->convention == kw::HostConvention::This ? 1 : 0);
  return reinterpret_cast<va_list>(const_cast<uint32_t*>(stack + onStack));
}

std::string CallRecord::Describe() const {
  const char* kinds = RowAt(row).argumentKinds;
  std::string out = name + "(";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i) out += ", ";
    if (kinds[i] == 't') {
      out += args[i] ? "\"" + MazoviaToUtf8(texts[i]) + "\"" : "NULL";
    } else {
      out += Number(args[i], kinds[i]);
    }
  }
  return out + ") = " + Number(result, 'i');
}

Host& Host::Get() {
  static Host host;
  return host;
}

Host::Host() : handlers_(RowCount()) { SimAttachHost(&Dispatch); }

void Host::Reset() {
  for (const uint16_t ordinal : omitted_) SimSetExported(ordinal, 1);
  omitted_.clear();
  callLog_.clear();
  keepCalls_ = true;
  faults_.clear();
  interrupt_ = nullptr;
  interruptWhich_ = nullptr;
  observer_ = nullptr;
  SystemClock::Reset();
  components_.clear();
  handlers_.assign(RowCount(), Handler());
}

void Host::On(std::string_view function, Handler handler) {
  const int row = RowOfName(function);
  if (row < 0) throw std::invalid_argument("no host function " + std::string(function));
  handlers_[row] = std::move(handler);
}

void Host::On(uint16_t ordinal, Handler handler) {
  const int row = RowOfOrdinal(ordinal);
  if (row < 0) throw std::invalid_argument("no host entry " + std::to_string(ordinal));
  handlers_[row] = std::move(handler);
}

void Host::Interrupt(int nth, std::function<void()> action, bool beforeWork) {
  calls_ = 0;
  interruptAt_ = nth;
  interruptBeforeWork_ = beforeWork;
  interrupt_ = std::move(action);
  interruptWhich_ = nullptr;
}

void Host::InterruptAt(std::function<bool(const HostCall&)> which, std::function<void()> action, bool beforeWork) {
  Interrupt(0, std::move(action), beforeWork);
  interruptWhich_ = std::move(which);
}

void Host::Omit(uint16_t ordinal) {
  if (!SimSetExported(ordinal, 0)) throw std::invalid_argument("cannot omit entry " + std::to_string(ordinal));
  omitted_.push_back(ordinal);
}

bool Host::Lacks(std::string_view function) const {
  const int row = RowOfName(function);
  for (const uint16_t ordinal : omitted_) {
    if (RowOfOrdinal(ordinal) == row) return true;
  }
  return false;
}

std::vector<CallRecord> Host::CallsTo(std::string_view function) const {
  std::vector<CallRecord> calls;
  for (const CallRecord& entry : callLog_) {
    if (entry.name == function) calls.push_back(entry);
  }
  return calls;
}

std::vector<std::string> Host::Trace() const {
  std::vector<std::string> lines;
  for (const CallRecord& entry : callLog_) lines.push_back(entry.Describe());
  return lines;
}

void Host::RecordCall(const HostCall& call) {
  if (!keepCalls_) return;
  const HostRow& info = *call.info;
  CallRecord entry{call.row, info.ordinal, info.name, call.args, {}, 0};
  entry.texts.resize(call.args.size());
  for (std::size_t i = 0; i < call.args.size(); ++i) {
    if (info.argumentKinds[i] == 't') entry.texts[i] = call.Text(static_cast<int>(i));
  }
  callLog_.push_back(std::move(entry));
}

bool Host::RunInterruptAt(bool beforeWork, bool picked) {
  if (!interrupt_ || interruptBeforeWork_ != beforeWork) return false;
  if (!(interruptWhich_ ? picked : ++calls_ >= interruptAt_)) return false;
  const std::function<void()> action = std::exchange(interrupt_, nullptr);
  action();
  return true;
}

uint32_t Host::Answer(int row, const SimRegisters& registers, const uint32_t* stack) {
  const HostRow& info = RowAt(row);
  HostCall call{row, &info, registers, stack, {}, false};
  const std::string_view kinds = info.argumentKinds;
  std::size_t onStack = 0;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const bool inEcx = i == 0 && info.convention == kw::HostConvention::This;
    call.args.push_back(inEcx ? registers.ecx : stack[onStack++]);
  }
  const std::size_t index = callLog_.size();
  RecordCall(call);
  if (observer_) observer_(call);

  // The host's event loop may run before the function does its work.
  const bool picked = interruptWhich_ && interruptWhich_(call);
  if (RunInterruptAt(true, picked)) call.afterEventLoop = true;
  uint32_t result = 0;
  try {
    if (handlers_[row]) result = handlers_[row](call);
  } catch (const std::exception& e) {
    ReportFault(std::string(info.name) + ": the host's handler failed: " + e.what());
  }
  if (keepCalls_) callLog_[index].result = result;
  // The host's own work is done; its event loop runs before the module gets the answer.
  RunInterruptAt(false, picked);
  return result;
}

}  // namespace hostsim
