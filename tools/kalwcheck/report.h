// kalwcheck's report of a BindingCheck: text for people, JSON for scripts
// (ASCII only: every other character is written as \uXXXX).
#pragma once

#include <string>

#include "binding_check.h"

namespace kw::tools {

std::string TextReport(const std::string& path, const BindingCheck& check);
std::string JsonReport(const std::string& path, const BindingCheck& check);

}  // namespace kw::tools
