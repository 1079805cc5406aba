// Deleting the register entries of the contractor TMO from the list that the
// host hands to the Ewid_JPK table handler.
#pragma once

#include "kept_record.h"
#include "host_interface.h"

namespace kw {

// Deletes from the host's list every entry whose contractor number and two
// contractor texts equal those of the current record of table 35 (TMO, left
// there by WyszukajKontrPoSymbolu). `entryCount` is lowered by the host on each
// deletion; `recordNumbers` holds the host's entry numbers counted from 1, and
// `recordNumbersRef`, when given, the host's cell that holds that array (read
// again after every host call, as the host may replace the array).
// `contractorKept`, when given, holds the host's contractor that the lookup
// of TMO displaced: it goes back as soon as the pass has its copy of TMO.
// Always 1; failures are shown where they happen.
int UsunKalwestrowkaZ_JPK(HostSelection* selection, void* view, int* entryCount, int* recordNumbers,
                          HostTable* jpkTableArg, int** recordNumbersRef = nullptr,
                          KeptRecord* contractorKept = nullptr);

}  // namespace kw
