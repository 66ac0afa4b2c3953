# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
#
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake -DBRISENDALE_WITH_QT=OFF
#
# Only the core builds this way (settings, time logic, plain platform services
# and their tests); the window needs Qt for Windows, which is not cross-built.
# When wine64 is installed, the tests run under it through CTest.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRISENDALE_MINGW_TRIPLET x86_64-w64-mingw32)

# The "-posix" compilers use the winpthreads thread model, which gives C++ its
# std::thread and std::mutex; the "-win32" ones of GCC 12 lack them.
find_program(BRISENDALE_MINGW_CXX NAMES ${BRISENDALE_MINGW_TRIPLET}-g++-posix
                                        ${BRISENDALE_MINGW_TRIPLET}-g++ REQUIRED)
find_program(BRISENDALE_MINGW_CC NAMES ${BRISENDALE_MINGW_TRIPLET}-gcc-posix
                                       ${BRISENDALE_MINGW_TRIPLET}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${BRISENDALE_MINGW_CC})
set(CMAKE_CXX_COMPILER ${BRISENDALE_MINGW_CXX})
set(CMAKE_RC_COMPILER ${BRISENDALE_MINGW_TRIPLET}-windres)

# Look for libraries and headers of the target only, programs of the host only.
# This also keeps the host's GoogleTest out: the tests build their own.
set(CMAKE_FIND_ROOT_PATH /usr/${BRISENDALE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the C and C++ runtimes and winpthreads into each executable, so that it
# runs on a bare Windows (or under Wine) without the mingw DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Run the cross-built executables (tests and their listing) under Wine, in a
# Wine prefix of the build folder's own, never the user's ~/.wine.
find_program(BRISENDALE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BRISENDALE_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh ${BRISENDALE_WINE64} ${CMAKE_BINARY_DIR}/wineprefix)
endif()
