# tavrin_static_deps(TARGET MODULE...): an INTERFACE target carrying the static build flags of
# the pkg-config MODULEs of the Windows libraries (scripts/build-windows-deps), private
# dependencies included, so that the programs need only system DLLs.
find_package(PkgConfig REQUIRED)
function(tavrin_static_deps target)
  pkg_check_modules(${target}_PC REQUIRED ${ARGN})
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${${target}_PC_STATIC_INCLUDE_DIRS})
  target_compile_options(${target} INTERFACE ${${target}_PC_STATIC_CFLAGS_OTHER})
  target_link_libraries(${target} INTERFACE ${${target}_PC_STATIC_LDFLAGS})
endfunction()
