# The coverage build (make coverage, folder build-coverage/): the module's own
# objects - the DLL's and those of every layer the unit tests link
# (foundation/, shared/, config/, documents/, jpk/, module/) - compiled and
# linked with --coverage. The simulated host,
# the tests and the tools are not instrumented. Included after the module's
# targets exist; it only changes those targets, so the module's own
# CMakeLists.txt stays as it is.
#
# gcov's runtime registers each object with a static initialiser and writes the
# counts (.gcda beside the objects, absolute paths that Wine reaches through
# Z:) from an exit handler. So the DLL keeps the ordinary MinGW start-up
# (KW_DLL_CRT_STARTUP, which KW_COVERAGE turns on), and the module sees
# KW_COVERAGE defined.
include_guard(GLOBAL)

function(kw_enable_coverage)
  set(coverage_options --coverage)
  get_property(module_layers GLOBAL PROPERTY KW_MODULE_LAYERS)
  foreach(tgt IN LISTS module_layers ITEMS Kalwestrowka)
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
  target_link_options(Kalwestrowka PRIVATE ${coverage_options})
endfunction()
