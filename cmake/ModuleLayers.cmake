# The module's code in layers (README, "Layers"), each an object library that
# sees only its own folders and the layers it links; a layer's folders are seen
# by the layers above it that link it, never by those below, so an include
# that points up fails to compile:
#   kalwestrowka_foundation        foundation/        host interface, binding, records, classes, texts, state
#   kalwestrowka_working_object    shared/working_object/  CSprKomis's declaration and komis.cfg's format (headers)
#   kalwestrowka_contractors       shared/contractors/     the contractor lookup
#   kalwestrowka_config, kalwestrowka_documents, kalwestrowka_jpk   the subjects
#   kalwestrowka_wiring            module/            start-up, exported entries, installation verdict, registration
# kalwestrowka_core: the objects and folders of every layer, for the DLL and
# the unit tests.
include_guard(GLOBAL)

# The module's objects are lean: no exception tables or unwind information, no
# guarded function-local statics (they would pull in the C++ runtime's locks and
# threads), and no build folder in the objects (__FILE__, debug information), so
# that every build of a commit gives the same DLL.
set(KW_LEAN_OPTIONS
  -fno-exceptions -fno-asynchronous-unwind-tables -fno-threadsafe-statics
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
  -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# kw_module_layer(<name> SOURCES <file>... FOLDERS <own folder>... USES <lower layer>...)
# An object library of the module: compiled lean, its sources seeing FOLDERS
# and what the USES layers show; the layers that link it see FOLDERS too.
function(kw_module_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;FOLDERS;USES")
  add_library(${name} OBJECT ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${arg_FOLDERS})
  target_link_libraries(${name} PUBLIC kw_warnings ${arg_USES})
  target_compile_options(${name} PRIVATE ${KW_LEAN_OPTIONS})
  set_property(GLOBAL APPEND PROPERTY KW_MODULE_LAYERS ${name})
endfunction()
