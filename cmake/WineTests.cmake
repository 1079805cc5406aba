# Helpers for tests that are Windows programs run under Wine.
#
# kw_add_gtest(<name>                        # or: kw_add_gtest(NAME <name> ...)
#              SOURCES <file>...
#              [LIBRARIES <lib>...]
#              [DEPENDS <target>...]        # e.g. a DLL loaded at run time
#              [WORKING_DIRECTORY <dir>]    # default: ${CMAKE_BINARY_DIR}
#              [TEST_PREFIX <prefix>]       # prepended to every discovered test name
#              [LABELS <label>]             # one label for all cases of this program
#              [NO_MAIN])                   # provide your own main(); default links gtest_main
#
#   Builds <name>.exe (project warnings, -Werror) linked with GoogleTest and
#   GoogleMock, then registers each gtest case with CTest. Discovery happens
#   when ctest runs (PRE_TEST), through CMAKE_CROSSCOMPILING_EMULATOR
#   (cmake/wine-run), so no Wine is needed at build time.
#
# kw_add_wine_test(<name> COMMAND <exe-target> [args...])
#   Plain (non-gtest) test: runs an executable target under Wine; its exit
#   code decides.

include_guard(GLOBAL)
include(GoogleTest)

set(KW_TEST_TIMEOUT 120 CACHE STRING "Per-test timeout in seconds (Wine start-up included)")
# The folder whose wineprefix/ the tests run in (cmake/wine-run's KW_BUILD_DIR).
# A second build folder (the hardened build) points it at the first one's, so
# that both share one prefix and one Wine server.
set(KW_WINE_DIR "${CMAKE_BINARY_DIR}" CACHE PATH "Folder holding the Wine prefix the tests run in")

function(kw_add_gtest)
  # Accept both kw_add_gtest(<name> ...) and kw_add_gtest(NAME <name> ...).
  set(args "${ARGN}")
  list(POP_FRONT args name)
  if(name STREQUAL "NAME")
    list(POP_FRONT args name)
  endif()
  cmake_parse_arguments(arg
    "NO_MAIN"
    "WORKING_DIRECTORY;TEST_PREFIX"
    "SOURCES;LIBRARIES;DEPENDS;LABELS"
    ${args})
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "kw_add_gtest(${name}): unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "kw_add_gtest(${name}): SOURCES is required")
  endif()
  if(NOT arg_WORKING_DIRECTORY)
    set(arg_WORKING_DIRECTORY "${CMAKE_BINARY_DIR}")
  endif()

  add_executable(${name} ${arg_SOURCES})
  set_target_properties(${name} PROPERTIES KW_TEST_PROGRAM TRUE)
  target_link_libraries(${name} PRIVATE kw_warnings ${arg_LIBRARIES})
  if(arg_NO_MAIN)
    target_link_libraries(${name} PRIVATE gmock gtest)
  else()
    target_link_libraries(${name} PRIVATE gmock gtest_main)
  endif()
  if(arg_DEPENDS)
    add_dependencies(${name} ${arg_DEPENDS})
  endif()

  set(props
    TIMEOUT ${KW_TEST_TIMEOUT}
    ENVIRONMENT "KW_BUILD_DIR=${KW_WINE_DIR}")
  if(arg_LABELS)
    # gtest_discover_tests() cannot carry a list-valued property through to
    # the generated test file, so only one label per test program.
    list(LENGTH arg_LABELS n_labels)
    if(n_labels GREATER 1)
      message(FATAL_ERROR "kw_add_gtest(${name}): only one LABELS value is supported")
    endif()
    list(APPEND props LABELS "${arg_LABELS}")
  endif()

  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT ${KW_TEST_TIMEOUT}
    WORKING_DIRECTORY "${arg_WORKING_DIRECTORY}"
    TEST_PREFIX "${arg_TEST_PREFIX}"
    PROPERTIES ${props})
endfunction()

function(kw_add_wine_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "COMMAND")
  list(POP_FRONT arg_COMMAND exe)
  if(NOT TARGET ${exe})
    message(FATAL_ERROR "kw_add_wine_test(${name}): '${exe}' is not an executable target")
  endif()
  # An executable target as COMMAND is run through CMAKE_CROSSCOMPILING_EMULATOR.
  add_test(NAME ${name} COMMAND ${exe} ${arg_COMMAND} WORKING_DIRECTORY "${CMAKE_BINARY_DIR}")
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${KW_TEST_TIMEOUT}
    ENVIRONMENT "KW_BUILD_DIR=${KW_WINE_DIR}")
endfunction()
