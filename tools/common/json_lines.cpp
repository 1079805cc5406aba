#include "json_lines.h"

namespace kw::tools {

std::string Dump(const Json& value) { return value.dump(-1, ' ', true, Json::error_handler_t::replace); }

std::string OneLine(const Json& object) {
  std::string line = "{";
  for (auto field = object.begin(); field != object.end(); ++field) {
    if (field != object.begin()) line += ", ";
    line += Dump(field.key()) + ": " + Dump(field.value());
  }
  return line + "}";
}

}  // namespace kw::tools
