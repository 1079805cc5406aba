// The module's Polish texts are Mazovia bytes, converted at compile time.
#include <gtest/gtest.h>

#include <string>

#include "mazovia.h"
#include "module_state.h"

namespace {

std::string Bytes(const char* text) { return text; }

TEST(MazoviaTexts, EveryPolishLetterBecomesItsMazoviaByte) {
  EXPECT_EQ(Bytes(MZ("ąćęłńóśźż")), "\x86\x8D\x91\x92\xA4\xA2\x9E\xA6\xA7");
  EXPECT_EQ(Bytes(MZ("ĄĆĘŁŃÓŚŹŻ")), "\x8F\x95\x90\x9C\xA5\xA3\x98\xA0\xA1");
  EXPECT_EQ(Bytes(MZ("Uwaga \x01\x02\x05 100%")), "Uwaga \x01\x02\x05 100%");
  // The module's description, all of its bytes (its size is asserted where it is declared).
  EXPECT_EQ(std::string(kw::ModuleDescription.data(), sizeof kw::ModuleDescription),
            std::string("Obs\x92u\xA7 sprzeda\xA7 obc\x86.", 22));
}

}  // namespace
