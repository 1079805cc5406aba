// The host's side of a playback, built from the trace's lines: the answers,
// the texts, counts and bytes the host wrote into the module's buffers, the
// tables' records, the register's list and the item lines ("+" lines); and
// what the module handed over, described alike for the walk's host.
#include "sim_trace_playback.h"

#include <cstdlib>
#include <cstring>

#include "host_relay_rows.h"
#include "record_fields.h"
#include "text_codec.h"
#include "trace_files.h"

namespace hostsim {

namespace {

constexpr std::size_t kRoomOfARecord = 65536;

// A quoted text of the trace, its escapes undone: Mazovia again unless it
// went in as it was (a text the host wrote).
std::string Unquoted(const std::string& quoted, bool mazovia = true) {
  std::string windows;
  for (std::size_t i = 1; i + 1 < quoted.size() && quoted[i] != '"'; ++i) {
    if (quoted[i] == '\\' && quoted[i + 1] == 'n') {
      windows += '\n';
      ++i;
    } else if (quoted[i] == '\\' && quoted[i + 1] == 'x') {
      windows += static_cast<char>(std::strtoul(quoted.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      windows += quoted[i];
    }
  }
  return mazovia ? Utf8ToMazovia(Windows1250ToUtf8(windows)) : windows;
}

std::vector<uint8_t> HexBytes(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  }
  return bytes;
}

// The fields' values from `first` on into a record.
void PutFields(const kw::RecordFields& set, const std::vector<std::string>& values, std::size_t first, uint8_t* record) {
  for (int i = 0; i < set.count && first + i < values.size(); ++i) {
    const kw::RecordField& field = set.fields[i];
    const std::string& value = values[first + i];
    uint8_t* at = record + field.offset;
    if (field.kind == kw::FieldKind::Text) {
      const std::string text = Unquoted(value);
      std::memset(at, 0, field.size);
      std::memcpy(at, text.data(), std::min<std::size_t>(text.size(), field.size));
    } else if (field.kind == kw::FieldKind::Bits) {
      const uint64_t bits = std::strtoull(value.c_str(), nullptr, 16);
      std::memcpy(at, &bits, sizeof bits);
    } else {
      const int32_t number = static_cast<int32_t>(std::strtoll(value.c_str(), nullptr, 10));
      std::memcpy(at, &number, field.size);
    }
  }
}

// A record's module fields, each as hex, texts to their zero.
std::string FieldBytes(const kw::RecordFields& set, const uint8_t* record) {
  static const char digits[] = "0123456789ABCDEF";
  std::string described;
  for (int i = 0; i < set.count; ++i) {
    const kw::RecordField& field = set.fields[i];
    described += ' ';
    for (int b = 0; b < field.size; ++b) {
      const uint8_t byte = record[field.offset + b];
      if (field.kind == kw::FieldKind::Text && byte == 0) break;
      described += digits[byte >> 4];
      described += digits[byte & 15];
    }
  }
  return described;
}

}  // namespace

std::optional<std::string> HandedData(const HostCall& call) {
  const kw::RecordFields document = kw::TableFields(kw::kDocTable);
  switch (call.info->ordinal) {
    case 52287: {  // HostWriteSelected: the document read at that position, stored
      const HostTable* table = call.Ptr<const HostTable>(2);
      if (!table || !table->RecordBuffer || table->RecordLength < kw::kDocRecordLength) return std::nullopt;
      return "stored" + FieldBytes(document, table->RecordBuffer);
    }
    case 52377:  // HostAssignContractor: the document given to the contractor
      if (!call.Arg(2)) return std::nullopt;
      return "assigned " + std::to_string(call.Int(1)) + FieldBytes(document, call.Ptr<const uint8_t>(2));
    case 52085:  // HostDeleteSelected: the register's entry
      return "deleted " + std::to_string(call.Int(1));
    case 52308: {  // HostWriteFile
      const std::size_t size = static_cast<std::size_t>(call.Int(1)) * call.Int(2);
      std::string hex;
      for (std::size_t i = 0; i < std::min<std::size_t>(size, 4096); ++i) {
        hex += "0123456789ABCDEF"[call.Ptr<const uint8_t>(0)[i] >> 4];
        hex += "0123456789ABCDEF"[call.Ptr<const uint8_t>(0)[i] & 15];
      }
      return "written " + hex;
    }
    case 52407:  // HostAppendLog: a line of the journal or the module's log (its time as the host gave it)
      if (call.Text(0) == kw::kTraceFile) return std::nullopt;
      return "appended to " + call.Text(0) + ": " + call.Text(1);
    default:
      return std::nullopt;
  }
}

TracePlayback::Table& TracePlayback::TableNumbered(int number) {
  Table& table = tables_[number];
  if (table.buffer.empty()) {
    table.buffer.assign(kRoomOfARecord, 0);
    table.object.RecordBuffer = table.buffer.data();
  }
  return table;
}

// The host's object a recorded address stands for: what the module handed
// over at that address, or an object of the playback's own.
uint32_t TracePlayback::Mapped(const std::string& recordedAddress) {
  const std::string address = recordedAddress.substr(0, 10);
  if (std::strtoul(address.c_str(), nullptr, 16) == 0) return 0;
  auto found = addresses_.find(address);
  if (found != addresses_.end()) return found->second;
  objects_.emplace_back(256, 0);
  return addresses_[address] = reinterpret_cast<uint32_t>(objects_.back().data());
}

uint32_t TracePlayback::AnswerValue(const HostCall& call, const std::string& value) {
  if (value.empty()) return 0;
  if (value[0] == 'T') return reinterpret_cast<uint32_t>(&TableNumbered(std::atoi(value.c_str() + 1)).object);
  if (value.rfind("0x", 0) != 0) return static_cast<uint32_t>(std::strtoll(value.c_str(), nullptr, 10));
  if (std::strtoul(value.c_str(), nullptr, 16) == 0) return 0;
  switch (call.info->ordinal) {
    case 52020: {  // the host's cell of its previous handler
      void*& cell = previousCells_[call.Int(0)];
      cell = reinterpret_cast<void*>(&PreviousHookOfHost);
      return reinterpret_cast<uint32_t>(&cell);
    }
    case 52258: return reinterpret_cast<uint32_t>(&signalWord_);
    case 52265: return reinterpret_cast<uint32_t>(&stateWord_);
    case 52266: return reinterpret_cast<uint32_t>(&stateLong_);
    case 37977: return reinterpret_cast<uint32_t>(&itemArray_);
    case 37978:
      itemCount_ = std::atoi(value.c_str() + value.find('@') + 1);
      return reinterpret_cast<uint32_t>(&itemCount_);
    case 52582: return reinterpret_cast<uint32_t>(&context_);
    case 20902: case 20972: return call.Arg(0);
    default: return Mapped(value);
  }
}

uint32_t TracePlayback::ApplyAnswer(HostCall& call, std::size_t at, bool withData) {
  const std::string& text = lines_[at].text;
  const std::size_t equals = text.find(" =");
  std::vector<std::string> values = TraceValues(text.substr(equals + 2), " ");
  const int row = call.row;
  answeredBuffer_ = nullptr;
  for (const kw::BufferArgument& buffer : kw::kBufferArguments) {
    if (buffer.ordinal == call.info->ordinal && buffer.after) answeredBuffer_ = call.Ptr<uint8_t>(buffer.argument);
  }
  std::size_t next = 0;
  const uint32_t answer = kw::KindOf(row, 0) == '-' || values.empty() ? 0 : AnswerValue(call, values[next++]);
  // The texts and counts the host left, in the order of the parameters.
  for (int i = 1; kw::KindOf(row, i) && kw::KindOf(row, i) != '.' && next < values.size(); ++i) {
    const char kind = kw::KindOf(row, i);
    const uint32_t argument = call.Arg(i - 1);
    if (kind == 'o' && values[next] != "null" && argument) {
      const std::string written = Unquoted(values[next], false);
      std::memcpy(reinterpret_cast<char*>(argument), written.c_str(), written.size() + 1);
    }
    if (kind == 'n' && argument) *reinterpret_cast<int*>(argument) = std::atoi(values[next].c_str() + 1);
    next += kind == 'o' || (kind == 'n' && argument);
  }
  // What the host left after its answer. A call-back the host made inside
  // the trace's own append of the answer's line comes between: the records
  // and the list after it are the host's once it is over (OnTraceAppend).
  bool afterCallBack = false;
  std::size_t data = Skip(at + 1);
  while (withData && data < end_) {
    if (IsCallBackInAppend(data)) {
      // The host ran it inside the append of a line of the answer's data,
      // written before it ran: that line holds.
      const std::size_t foreign = ForeignLine(data);
      if (foreign < end_ && lines_[foreign].kind == kw::kTraceData) ApplyData(foreign);
      afterCallBack = true;
      data = EntryEnd(data);
    } else if (lines_[data].kind != kw::kTraceData) {
      break;
    } else if (afterCallBack && (lines_[data].text[0] == 'T' || lines_[data].text[0] == 'L')) {
      ++data;
    } else {
      data = ApplyData(data);
    }
  }
  if (queued_) cursor_ = data;
  return answer;
}

std::size_t TracePlayback::ApplyData(std::size_t at) {
  const std::string& text = lines_[at].text;
  if (text[0] == 'T') ApplyRecord(text);
  if (text[0] == 'L') ApplyList(text);
  if (text[0] == 'I') ApplyItems(text);
  if (text[0] == 'C') {
    const std::vector<std::string> values = TraceValues(text, " ");
    PutFields(kw::FieldSet(kw::kContextFields), values, 1, reinterpret_cast<uint8_t*>(&context_));
  }
  if (text[0] == 'B' && answeredBuffer_) {  // what the host put into the last answered call's buffer
    const std::vector<uint8_t> bytes = HexBytes(TraceValues(text, " ").back());
    std::memcpy(answeredBuffer_, bytes.data(), bytes.size());
  }
  return Skip(at + 1);
}

// "T<table> <length> <fields>|null"
void TracePlayback::ApplyRecord(const std::string& text) {
  const std::vector<std::string> values = TraceValues(text, " ");
  const int number = std::atoi(values[0].c_str() + 1);
  Table& table = TableNumbered(number);
  table.object.RecordLength = static_cast<int16_t>(std::atoi(values[1].c_str()));
  const bool buffered = values.size() < 3 || values[2] != "null";
  table.object.RecordBuffer = buffered ? table.buffer.data() : nullptr;
  if (buffered) PutFields(kw::TableFields(number), values, 2, table.buffer.data());
}

// "L -" or "L <array> <count> <from> <numbers>": another array when its
// address changed.
void TracePlayback::ApplyList(const std::string& text) {
  const std::vector<std::string> values = TraceValues(text, " ");
  listGiven_ = values.size() >= 4;
  if (!listGiven_) return;
  if (values[1] != listAddress_ || lists_.empty()) {
    listAddress_ = values[1];
    lists_.emplace_back(kw::kTraceListShown, 0);
  }
  listArray_ = std::strtoul(values[1].c_str(), nullptr, 16) ? lists_.back().data() : nullptr;
  listCount_ = std::atoi(values[2].c_str());
  const std::size_t from = std::strtoul(values[3].c_str(), nullptr, 10);
  for (std::size_t i = 4; i < values.size() && from + i - 4 < lists_.back().size(); ++i) {
    lists_.back()[from + i - 4] = std::atoi(values[i].c_str());
  }
}

// "I n=<count>", then "I <index> <fields>|null" for each line.
void TracePlayback::ApplyItems(const std::string& text) {
  const std::vector<std::string> values = TraceValues(text, " ");
  if (values[1].rfind("n=", 0) == 0) {
    itemCount_ = std::atoi(values[1].c_str() + 2);
    itemPointers_.assign(std::max(itemCount_, 1), nullptr);
    itemArray_ = values.size() > 2 && values[2] == "null" ? nullptr : itemPointers_.data();
    return;
  }
  const std::size_t index = std::strtoul(values[1].c_str(), nullptr, 10);
  if (index >= itemPointers_.size() || values.size() < 3 || values[2] == "null") return;
  itemLines_.emplace_back(sizeof(kw::ItemLine) + 2, 0);
  PutFields(kw::TableFields(kw::kItemTable), values, 2, itemLines_.back().data());
  itemPointers_[index] = itemLines_.back().data();
}

}  // namespace hostsim
