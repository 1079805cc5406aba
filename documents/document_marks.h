// The marks an acceptance (reassign_hook.cpp) leaves in a sales document for
// the conversion at the dialog's end (document_conversion.cpp): the number
// ".", the note "Wtyczka Kalwestrowka" and the pending flag.
#pragma once

#include <cstdint>

#include "host_interface.h"
#include "host_records.h"
#include "mazovia.h"

namespace kw {

inline constexpr const char* kMarkedNumber = ".";
inline constexpr uint16_t kConversionPending = 1;
inline const char* MarkedNote() { return MZ("Wtyczka Kalwestrowka"); }

inline void MarkNumber(DocRecord* document) {
  HostCopyText(document->DocNumber, kMarkedNumber, sizeof document->DocNumber);
}
inline void MarkNote(DocRecord* document) { HostCopyText(document->DocNote, MarkedNote(), sizeof document->DocNote); }
inline void MarkPending(DocRecord* document) { document->ConversionPending = kConversionPending; }

// All three marks are there, as the host compares texts.
inline bool IsMarked(DocRecord* document) {
  return HostCompareText(document->DocNote, MarkedNote()) == 0 &&
         HostCompareText(document->DocNumber, kMarkedNumber) == 0 && document->ConversionPending != 0;
}

}  // namespace kw
