// The warehouse flags of komis.cfg (komis_cfg_format.h) as kalwcfg handles
// them: decoded from and encoded to the file's bytes, warehouse numbers read
// from the command line, and the list of marked warehouses as text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "komis_cfg_format.h"

namespace kw::tools {

using WarehouseFlags = std::array<WarehouseFlag, kWarehouseCount>;

// Only for exactly kKomisCfgSize bytes.
WarehouseFlags DecodeFlags(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> EncodeFlags(const WarehouseFlags& flags);

// A warehouse number 0..100 in decimal digits, or nothing.
std::optional<int> ParseWarehouse(std::string_view text);

// Marks with 1 unless the warehouse is marked already (any value but 0 stays).
void MarkWarehouse(WarehouseFlags& flags, int warehouse);
void UnmarkWarehouse(WarehouseFlags& flags, int warehouse);

// "3, 7, 99 (wartość 0xFFFF), 100" or "" when none is marked.
std::string MarkedList(const WarehouseFlags& flags);
int MarkedCount(const WarehouseFlags& flags);

}  // namespace kw::tools
