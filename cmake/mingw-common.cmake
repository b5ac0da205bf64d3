# Shared part of the MinGW-w64 toolchain files. QX_MINGW_ARCH is i686 or x86_64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QX_MINGW_ARCH})
set(QX_MINGW_TRIPLE ${QX_MINGW_ARCH}-w64-mingw32)

# The -posix compilers give std::thread and std::mutex.
set(CMAKE_C_COMPILER ${QX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QX_MINGW_TRIPLE}-windres)
set(QX_OBJDUMP ${QX_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${QX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static binaries run under Wine without extra DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Tests run under Wine, with a prefix of their own inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)

# Cross-built third-party libraries (set up by scripts/setup.sh).
if(NOT DEFINED QX_DEPS_CACHE)
  if(DEFINED ENV{QX_DEPS_CACHE})
    set(QX_DEPS_CACHE $ENV{QX_DEPS_CACHE})
  else()
    set(QX_DEPS_CACHE /var/cache/qx-deps)
  endif()
endif()
set(QX_XERCES_ROOT ${QX_DEPS_CACHE}/xerces-${QX_MINGW_ARCH})
