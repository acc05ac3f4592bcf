# Cross-compiling for Windows with Debian's MinGW-w64: cmake -DCMAKE_TOOLCHAIN_FILE=this
# -DTAVRIN_WINDOWS_ARCH=i686|x86_64 [-DTAVRIN_WINDOWS_DEPS=PREFIX].
#
# The -posix compilers: the default thread model has no std::mutex or std::thread.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT TAVRIN_WINDOWS_ARCH)
  set(TAVRIN_WINDOWS_ARCH x86_64)
endif()
# Seen again by try_compile, which starts a project of its own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVRIN_WINDOWS_ARCH TAVRIN_WINDOWS_DEPS)
set(CMAKE_SYSTEM_PROCESSOR ${TAVRIN_WINDOWS_ARCH})
set(triplet ${TAVRIN_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_AR ${triplet}-ar)
set(CMAKE_RANLIB ${triplet}-ranlib)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet} ${TAVRIN_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(TAVRIN_WINDOWS_DEPS)
  # The libraries' .pc files, and none of the build machine's: PKG_CONFIG_PATH would be searched
  # before PKG_CONFIG_LIBDIR.
  set(ENV{PKG_CONFIG_LIBDIR} ${TAVRIN_WINDOWS_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
