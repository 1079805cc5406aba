#include "fallback_rule.h"
#include "report.h"

#include <cstdio>

namespace kw::tools {

namespace {

// A JSON string of UTF-8 text, in ASCII.
std::string Quoted(const std::string& utf8) {
  std::string out = "\"";
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    uint32_t code = lead;
    std::size_t length = 1;
    if (lead >= 0xC0 && lead < 0xE0) {
      code = lead & 0x1F;
      length = 2;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      code = lead & 0x0F;
      length = 3;
    } else if (lead >= 0x80) {
      code = 0xFFFD;  // not UTF-8 the tool wrote: a byte from the file
    }
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = i + k < utf8.size() ? static_cast<unsigned char>(utf8[i + k]) : 0;
      code = (next & 0xC0) == 0x80 ? code << 6 | (next & 0x3F) : 0xFFFD;
    }
    i += length;
    if (code == '"' || code == '\\') {
      out += '\\';
      out += static_cast<char>(code);
    } else if (code < 0x20 || code >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(code > 0xFFFF ? 0xFFFD : code));
      out += escaped;
    } else {
      out += static_cast<char>(code);
    }
  }
  return out + "\"";
}

std::string Field(const char* name, const std::string& jsonValue) { return Quoted(name) + ": " + jsonValue; }
std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Entry(const OrdinalCheck& entry) {
  std::string object = "{" + Field("ordinal", std::to_string(entry.ordinal)) + ", " +
                       Field("name", Quoted(entry.name)) + ", " + Field("present", Bool(entry.present));
  if (!entry.forwardedTo.empty()) object += ", " + Field("forwarded_to", Quoted(entry.forwardedTo));
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

std::string Function(const FunctionCheck& function) {
  std::string object = Entry(function.entry) + ", " + Field("at_load", Quoted(AtLoadName(function.atLoad)));
  if (!function.entry.present) {
    const bool fallback = function.fallback != kNoFallback;
    object += ", " + Field("fallback", Bool(fallback));
    if (fallback) {
      object += ", " + Field("returns", "0") + ", " +
                Field("caller_cleans", Bool(function.row->convention == HostConvention::Cdecl)) + ", " +
                Field("removes_bytes", std::to_string(4 * function.fallback));
    }
    object += ", " + Field("after_ignore", Quoted(FallbackText(function)));
  }
  return object + "}";
}

template <typename T, typename Format>
std::string Array(const std::vector<T>& items, Format format) {
  std::string array = "[";
  for (std::size_t i = 0; i < items.size(); ++i) array += (i ? ",\n    " : "\n    ") + format(items[i]);
  return array + (items.empty() ? "]" : "\n  ]");
}

}  // namespace

std::string JsonReport(const std::string& path, const BindingCheck& check) {
  const bool host = check.status != CheckStatus::NotHostLibrary;
  std::string json = "{\n  " + Field("file", Quoted(path)) + ",\n  " +
                     Field("status", std::to_string(static_cast<int>(check.status))) + ",\n  " +
                     Field("verdict", Quoted(check.verdict)) + ",\n  " + Field("host_library", Bool(host));
  if (!host) return json + ",\n  " + Field("problem", Quoted(check.problem)) + "\n}\n";
  json += ",\n  " + Field("library_name", Quoted(check.libraryName));
  json += ",\n  " + Field("export_count", std::to_string(check.exportCount));
  json += ",\n  " + Field("data_items", Array(check.dataItems, [](const OrdinalCheck& e) { return Entry(e) + "}"; }));
  json += ",\n  " + Field("entries", Array(check.entries, [](const OrdinalCheck& e) {
                      std::string object = Entry(e);
                      if (!e.present) object += ", " + Field("without", Quoted(WithoutEntryText(e.ordinal)));
                      return object + "}";
                    }));
  json += ",\n  " + Field("functions", Array(check.functions, Function));
  return json + "\n}\n";
}

}  // namespace kw::tools
