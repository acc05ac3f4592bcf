# The Windows programs are delivered by an NSIS installer rather than `cmake --install`: it puts
# them where Windows looks for screen savers. `cmake --build DIR --target installer` makes
# DIR/tavrin-setup-ARCH.exe.
add_custom_target(installer
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-installer ${TAVRIN_WINDOWS_ARCH} ${CMAKE_BINARY_DIR}
  DEPENDS tavrin tavrinra nviewlib
  USES_TERMINAL)
