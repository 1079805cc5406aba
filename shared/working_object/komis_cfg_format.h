// komis.cfg, the file of the consignment warehouses, in the host's data folder:
// exactly 202 bytes, one signed 16-bit little-endian flag per warehouse number
// 0..100 in that order, nothing else. A flag other than 0 marks the warehouse
// (the module writes 1; the host's warehouse list may write other values).
// Plain data without Windows headers, shared with kalwcfg.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kw {

inline constexpr const char* kKomisCfgFile = "komis.cfg";
inline constexpr int kWarehouseCount = 101;  // warehouse numbers 0..100
inline constexpr int kLastWarehouse = kWarehouseCount - 1;
using WarehouseFlag = int16_t;
inline constexpr std::size_t kKomisCfgSize = kWarehouseCount * sizeof(WarehouseFlag);
static_assert(kKomisCfgSize == 202);

// Whether a flag marks its warehouse: any value other than 0.
constexpr bool IsMarkedWarehouse(WarehouseFlag flag) { return flag != 0; }

}  // namespace kw
