// SHA-256 (FIPS 180-4) of a byte string, for kalwcheck's check of the shipped
// files against SHA256SUMS on Windows versions without a tool of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kw::tools {

// The digest as 64 lower-case hexadecimal digits, as sha256sum writes it.
std::string Sha256Hex(const std::vector<uint8_t>& bytes);

}  // namespace kw::tools
