# The native build (e.g. build-native/ with the system g++): the tools for the
# people who install the module, tools/, their tests, tests/tools/, and
# kalwraport's benchmark (bench/). The
# tests read the simulated host's TALMER.dll from the MinGW build.
include_guard(GLOBAL)

set(KW_WINDOWS_BUILD_DIR "${CMAKE_SOURCE_DIR}/build" CACHE PATH
    "The MinGW build whose TALMER.dll and Kalwestrowka.dll the native tests read")

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")

add_library(kw_warnings INTERFACE)
target_compile_options(kw_warnings INTERFACE -Wall -Wextra -Werror)

include(GoogleTestSources)
include(GoogleTest)
enable_testing()

add_subdirectory(tools)
add_subdirectory(tests/tools)
add_subdirectory(bench)
