# Cross-compiling for 64-bit Windows with Debian's MinGW-w64, for the program and
# for the Windows libraries that scripts/win64-build-deps.sh builds. The POSIX
# thread model compilers: std::thread and Qt need them.
#
#   cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=scripts/win64-toolchain.cmake \
#         -DWIN64_DEPS_PREFIX=PREFIX -DQT_HOST_PATH=/usr ...
#
# Libraries, headers, CMake packages and pkg-config files are looked for only in
# PREFIX (scripts/win64-deps.sh prints it) and in MinGW's own folder, never in
# the build machine's /usr.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${MINGW_TRIPLE}-ar CACHE FILEPATH "ar")
set(CMAKE_RANLIB /usr/bin/${MINGW_TRIPLE}-ranlib CACHE FILEPATH "ranlib")
set(CMAKE_ASM_NASM_OBJECT_FORMAT win64)

# try_compile() projects read this file again without the cache: the prefix goes
# to them through the environment.
if(NOT WIN64_DEPS_PREFIX)
    set(WIN64_DEPS_PREFIX "$ENV{WIN64_DEPS_PREFIX}")
endif()
if(NOT WIN64_DEPS_PREFIX)
    message(FATAL_ERROR "WIN64_DEPS_PREFIX: the prefix of the Windows libraries (scripts/win64-deps.sh)")
endif()
get_filename_component(WIN64_DEPS_PREFIX "${WIN64_DEPS_PREFIX}" ABSOLUTE)
set(WIN64_DEPS_PREFIX "${WIN64_DEPS_PREFIX}" CACHE PATH "Prefix of the Windows libraries")
set(ENV{WIN64_DEPS_PREFIX} "${WIN64_DEPS_PREFIX}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES WIN64_DEPS_PREFIX WIN64_NO_EMULATOR)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} "${WIN64_DEPS_PREFIX}")
# (No IN_LIST: the libraries' own projects may predate it.)
list(FIND CMAKE_PREFIX_PATH "${WIN64_DEPS_PREFIX}" prefix_index)
if(prefix_index EQUAL -1)
    list(APPEND CMAKE_PREFIX_PATH "${WIN64_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER) # moc, pkg-config... are the build machine's
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Only the Windows .pc files; their prefix= is relative to the file, so the
# prefix may be moved.
set(ENV{PKG_CONFIG_LIBDIR} "${WIN64_DEPS_PREFIX}/lib/pkgconfig:${WIN64_DEPS_PREFIX}/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_EXECUTABLE /usr/bin/pkg-config CACHE FILEPATH "pkg-config")

# The test programs run under wine (ctest, with WINEPATH naming PREFIX/bin:
# scripts/wine-env.sh); the libraries' builds run nothing (WIN64_NO_EMULATOR).
if(NOT WIN64_NO_EMULATOR)
    find_program(WIN64_WINE NAMES wine wine64 PATHS /usr/bin /usr/lib/wine NO_DEFAULT_PATH)
    if(WIN64_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR "${WIN64_WINE}")
    endif()
endif()
