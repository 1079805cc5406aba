# The coverage build (make coverage, folder build-coverage/): the module's own
# objects - the DLL's and the ones the unit tests link, module/, config/,
# documents/, jpk/ - compiled and linked with --coverage. The simulated host,
# the tests and the tools are not instrumented. Included after the module's
# targets exist; it only changes those targets, so the module's own
# CMakeLists.txt stays as it is.
#
# gcov's runtime registers each object with a static initialiser and writes the
# counts (.gcda beside the objects, absolute paths that Wine reaches through
# Z:) from an exit handler. So the DLL keeps the ordinary MinGW start-up: a
# link without the C runtime's start-up files is turned back into the ordinary
# one here, and the module sees KW_COVERAGE defined.
include_guard(GLOBAL)

function(kw_enable_coverage)
  set(coverage_options --coverage)
  foreach(tgt IN ITEMS kalwestrowka_core Kalwestrowka)
    # Object paths as they are: gcov finds the sources and the .gcda files by
    # the paths the objects record, which -ffile-prefix-map would cut.
    get_target_property(compile_options ${tgt} COMPILE_OPTIONS)
    if(compile_options)
      list(FILTER compile_options EXCLUDE REGEX "^-f(file|debug|macro|profile)-prefix-map=")
      set_property(TARGET ${tgt} PROPERTY COMPILE_OPTIONS ${compile_options})
    endif()
    target_compile_options(${tgt} PRIVATE ${coverage_options})
    target_compile_definitions(${tgt} PRIVATE KW_COVERAGE=1)
  endforeach()
  # Everything that links the module's objects (the DLL, the unit tests, a
  # benchmark) links gcov's runtime.
  target_link_options(kalwestrowka_core INTERFACE ${coverage_options})
  # The ordinary C runtime start-up for the DLL: it runs the static initialisers
  # that register the objects with gcov and, at detach, the exit handlers that
  # write the counts.
  get_target_property(link_options Kalwestrowka LINK_OPTIONS)
  if(link_options)
    list(FILTER link_options EXCLUDE REGEX "^-(nostartfiles|nostdlib|nodefaultlibs)$")
    set_property(TARGET Kalwestrowka PROPERTY LINK_OPTIONS ${link_options})
  endif()
  target_link_options(Kalwestrowka PRIVATE ${coverage_options})
endfunction()
