# nlohmann/json, header-only, from Debian's package nlohmann-json3-dev, for the
# MinGW build and the native one alike: the interface library kw_json.
# The MinGW compiler must not search /usr/include (the Linux C library's
# headers are there), so it is given a folder of its own in the build folder
# that holds only a link to the library's headers.
include_guard(GLOBAL)

set(KW_NLOHMANN_JSON_HEADERS "/usr/include/nlohmann" CACHE PATH "nlohmann/json's headers (nlohmann-json3-dev)")
if(NOT EXISTS "${KW_NLOHMANN_JSON_HEADERS}/json.hpp")
  message(FATAL_ERROR "nlohmann/json not found in ${KW_NLOHMANN_JSON_HEADERS} (apt-get install nlohmann-json3-dev)")
endif()
set(kw_json_folder "${CMAKE_BINARY_DIR}/nlohmann_json")
file(MAKE_DIRECTORY "${kw_json_folder}")
file(CREATE_LINK "${KW_NLOHMANN_JSON_HEADERS}" "${kw_json_folder}/nlohmann" SYMBOLIC)
add_library(kw_json INTERFACE)
target_include_directories(kw_json SYSTEM INTERFACE "${kw_json_folder}")
