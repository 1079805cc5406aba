# The module's code in layers (README, "Layers"), each an object library that
# sees only its own folders and those of the layers it names (USES), nothing
# that merely propagates through them: a layer hands on its own folders alone,
# so a layer that includes from another names it, and an include that points
# up, or across where the table does not allow it, fails to compile:
#   kalwestrowka_foundation        foundation/        host interface, binding, records, classes, texts, state
#   kalwestrowka_working_object    shared/working_object/  CSprKomis's declaration and komis.cfg's format (headers)
#   kalwestrowka_contractors       shared/contractors/     the contractor lookup
#   kalwestrowka_config, kalwestrowka_documents, kalwestrowka_jpk   the subjects
#   kalwestrowka_wiring            module/            start-up, exported entries, installation verdict, registration
# kalwestrowka_core: the objects and folders of every layer, for the DLL and
# the unit tests.
include_guard(GLOBAL)

# The module's objects are lean: compiled for size (-Os after the build type's
# -O2: the module's own share of a conversion or a register pass is a few
# hundredths of a microsecond per record either way), no exception tables or
# unwind information, no guarded function-local statics (they would pull in the C++ runtime's locks and
# threads), and no build folder in the objects (__FILE__, debug information), so
# that every build of a commit gives the same DLL.
set(KW_LEAN_OPTIONS
  -Os -fno-exceptions -fno-asynchronous-unwind-tables -fno-threadsafe-statics
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
  -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# kw_module_layer(<name> SOURCES <file>... FOLDERS <own folder>... USES <lower layer>...)
# An object library of the module: compiled lean, its sources seeing FOLDERS
# and the folders of exactly the USES layers; the layers that name it see
# FOLDERS, and only those. The build flags (warnings, code generation, the
# hardened build's checks, the lean options) are the layer's own: nothing
# that links a layer inherits them.
function(kw_module_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;FOLDERS;USES")
  add_library(${name} OBJECT ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${arg_FOLDERS})
  target_link_libraries(${name} PRIVATE kw_warnings ${arg_USES})
  target_compile_options(${name} PRIVATE ${KW_LEAN_OPTIONS})
  set_property(GLOBAL APPEND PROPERTY KW_MODULE_LAYERS ${name})
endfunction()
