// The conversion of the sales documents marked for it, run when the host's
// document dialog ends (conversion_hook.h): each gets the terms of the
// contractor TMO, and its item lines are passed through the host again.
#pragma once

#include "komis.h"

namespace kw {

// Converts every marked sales document with the object's tables; 1 when the
// run cannot start, else 0.
int ConvertDocuments(CSprKomis& komis);

}  // namespace kw
