// Compiled by check_mazovia_texts.py only, never linked: a text in MZ() must
// hold nothing but ASCII and the Polish letters.
#include "mazovia.h"

#if defined(KW_GERMAN_LETTER)
const char* text = MZ("Straße");
#elif defined(KW_THREE_BYTE_LETTER)
const char* text = MZ("Cena w €");
#else
const char* text = MZ("Zażółć gęślą jaźń, ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
#endif
