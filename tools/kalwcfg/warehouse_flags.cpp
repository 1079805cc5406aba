#include "warehouse_flags.h"

#include <cstdio>

namespace kw::tools {

WarehouseFlags DecodeFlags(const std::vector<uint8_t>& bytes) {
  WarehouseFlags flags{};
  for (int i = 0; i < kWarehouseCount && 2 * i + 1 < static_cast<int>(bytes.size()); ++i) {
    flags[i] = static_cast<WarehouseFlag>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return flags;
}

std::vector<uint8_t> EncodeFlags(const WarehouseFlags& flags) {
  std::vector<uint8_t> bytes(kKomisCfgSize);
  for (int i = 0; i < kWarehouseCount; ++i) {
    const auto value = static_cast<uint16_t>(flags[i]);
    bytes[2 * i] = static_cast<uint8_t>(value & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(value >> 8);
  }
  return bytes;
}

std::optional<int> ParseWarehouse(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number > kLastWarehouse) return std::nullopt;
  return number;
}

void MarkWarehouse(WarehouseFlags& flags, int warehouse) {
  if (!IsMarkedWarehouse(flags[warehouse])) flags[warehouse] = 1;
}

void UnmarkWarehouse(WarehouseFlags& flags, int warehouse) { flags[warehouse] = 0; }

std::string MarkedList(const WarehouseFlags& flags) {
  std::string list;
  for (int i = 0; i < kWarehouseCount; ++i) {
    if (!IsMarkedWarehouse(flags[i])) continue;
    if (!list.empty()) list += ", ";
    list += std::to_string(i);
    if (flags[i] != 1) {
      char value[32];
      std::snprintf(value, sizeof value, " (wartość 0x%04X)", static_cast<unsigned>(static_cast<uint16_t>(flags[i])));
      list += value;
    }
  }
  return list;
}

int MarkedCount(const WarehouseFlags& flags) {
  int count = 0;
  for (const WarehouseFlag flag : flags) count += IsMarkedWarehouse(flag);
  return count;
}

}  // namespace kw::tools
