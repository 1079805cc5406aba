#include "fallback_rule.h"
#include "json_lines.h"
#include "report.h"

namespace kw::tools {

namespace {

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
