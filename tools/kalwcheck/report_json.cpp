#include <nlohmann/json.hpp>

#include "fallback_rule.h"
#include "report.h"

namespace kw::tools {

namespace {

using Json = nlohmann::ordered_json;

// A JSON value on one line, in ASCII (\uXXXX escapes); a byte that is not
// UTF-8 (from the file) becomes U+FFFD.
std::string Dump(const Json& value) { return value.dump(-1, ' ', true, Json::error_handler_t::replace); }

// An object on one line, its fields in their order: {"a": 1, "b": 2}.
std::string OneLine(const Json& object) {
  std::string line = "{";
  for (auto field = object.begin(); field != object.end(); ++field) {
    if (field != object.begin()) line += ", ";
    line += Dump(field.key()) + ": " + Dump(field.value());
  }
  return line + "}";
}

Json Entry(const OrdinalCheck& entry) {
  Json object = {{"ordinal", entry.ordinal}, {"name", entry.name}, {"present", entry.present}};
  if (!entry.forwardedTo.empty()) object["forwarded_to"] = entry.forwardedTo;
  return object;
}

Json AttachEntry(const OrdinalCheck& entry) {
  Json object = Entry(entry);
  if (!entry.present) object["without"] = WithoutEntryText(entry.ordinal);
  return object;
}

const char* AtLoadName(AtLoad atLoad) {
  switch (atLoad) {
    case AtLoad::Bound: return "bound";
    case AtLoad::Dialog: return "dialog";
    case AtLoad::Silent: return "after_ignore";
    case AtLoad::NotReached: return "not_reached";
  }
  return "";
}

Json Function(const FunctionCheck& function) {
  Json object = Entry(function.entry);
  object["at_load"] = AtLoadName(function.atLoad);
  if (!function.entry.present) {
    const bool fallback = function.fallback != kNoFallback;
    object["fallback"] = fallback;
    if (fallback) {
      object["returns"] = 0;
      object["caller_cleans"] = function.row->convention == HostConvention::Cdecl;
      object["removes_bytes"] = 4 * function.fallback;
    }
    object["after_ignore"] = FallbackText(function);
  }
  return object;
}

// An array with one element a line.
template <typename T, typename Element>
std::string Array(const std::vector<T>& items, Element element) {
  std::string array = "[";
  for (std::size_t i = 0; i < items.size(); ++i) array += (i ? ",\n    " : "\n    ") + OneLine(element(items[i]));
  return array + (items.empty() ? "]" : "\n  ]");
}

std::string Field(const char* name, const std::string& json) { return Dump(name) + ": " + json; }

}  // namespace

std::string JsonReport(const std::string& path, const BindingCheck& check) {
  const bool host = check.status != CheckStatus::NotHostLibrary;
  std::string json = "{\n  " + Field("file", Dump(path)) + ",\n  " +
                     Field("status", Dump(static_cast<int>(check.status))) + ",\n  " +
                     Field("verdict", Dump(check.verdict)) + ",\n  " + Field("host_library", Dump(host));
  if (!host) return json + ",\n  " + Field("problem", Dump(check.problem)) + "\n}\n";
  json += ",\n  " + Field("library_name", Dump(check.libraryName));
  json += ",\n  " + Field("export_count", Dump(check.exportCount));
  json += ",\n  " + Field("data_items", Array(check.dataItems, Entry));
  json += ",\n  " + Field("entries", Array(check.entries, AttachEntry));
  json += ",\n  " + Field("functions", Array(check.functions, Function));
  return json + "\n}\n";
}

}  // namespace kw::tools
