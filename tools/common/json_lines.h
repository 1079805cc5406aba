// JSON as the tools write it: each value by nlohmann/json, in ASCII (\uXXXX
// escapes), a byte that is not UTF-8 becoming U+FFFD; an object on one line.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace kw::tools {

using Json = nlohmann::ordered_json;

// A JSON value on one line.
std::string Dump(const Json& value);
// An object on one line, its fields in their order: {"a": 1, "b": 2}.
std::string OneLine(const Json& object);

}  // namespace kw::tools
