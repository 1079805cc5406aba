// The warehouses a set of flags marks, as the journal writes them: "3, 7",
// ascending; empty when none.
#pragma once

#include "journal.h"
#include "komis_cfg_format.h"

namespace kw {

inline constexpr int kWarehouseListSize = 512;  // all 101 take 393 characters

inline void WarehouseListText(const WarehouseFlag* flags, char (&text)[kWarehouseListSize]) {
  int at = 0;
  for (int warehouse = 0; warehouse < kWarehouseCount; ++warehouse) {
    if (!IsMarkedWarehouse(flags[warehouse])) continue;
    char number[kNumberTextSize];
    NumberText(warehouse, number);
    if (at > 0) {
      text[at++] = ',';
      text[at++] = ' ';
    }
    for (const char* digit = number; *digit && at < kWarehouseListSize - 3; ++digit) text[at++] = *digit;
  }
  text[at] = '\0';
}

}  // namespace kw
