# Cross-building for Windows x64 with Debian's MinGW-w64 (POSIX thread model,
# for std::thread). Pass the cross-built libraries and Qt in CMAKE_PREFIX_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SHEETWRIGHT_MINGW_HOST x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${SHEETWRIGHT_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SHEETWRIGHT_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${SHEETWRIGHT_MINGW_HOST}-windres)
set(CMAKE_AR ${SHEETWRIGHT_MINGW_HOST}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${SHEETWRIGHT_MINGW_HOST}-ranlib CACHE FILEPATH "")

# Libraries and headers only from the MinGW sysroot and the prefixes given;
# programs (moc, uic, rcc, lrelease) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SHEETWRIGHT_MINGW_HOST} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and try_run start the Windows programs through Wine (on Debian 12
# "wine" runs 64-bit programs; there is no wine64 on PATH).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# pkg-config must never answer with the host's .pc files; CMake adds
# <prefix>/lib/pkgconfig of CMAKE_PREFIX_PATH by itself.
if(NOT DEFINED ENV{PKG_CONFIG_LIBDIR})
  set(ENV{PKG_CONFIG_LIBDIR} "/usr/${SHEETWRIGHT_MINGW_HOST}/lib/pkgconfig")
endif()

# The static zlib: the import library would make the programs need zlib1.dll.
set(ZLIB_INCLUDE_DIR /usr/${SHEETWRIGHT_MINGW_HOST}/include CACHE PATH "")
set(ZLIB_LIBRARY /usr/${SHEETWRIGHT_MINGW_HOST}/lib/libz.a CACHE FILEPATH "")

# Programs that need no DLLs beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
