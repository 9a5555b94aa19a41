# Cross-build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
#         -DSELVARINE_BUILD_TESTS=OFF -DSELVARINE_BUILD_BENCH=OFF \
#         -DSELVARINE_BANKGEN_EXECUTABLE=<native build>/resources/selvarine_bankgen
# (tools/build-windows.sh does all of this.) The posix thread model is used so
# that std::mutex and std::thread exist; libgcc, libstdc++ and winpthread are
# linked statically, so the DLL and the renderer need no runtime DLLs beside
# them: they import from KERNEL32 and msvcrt only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc-posix ${triple}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++-posix ${triple}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${triple}-windres)
set(CMAKE_ASM_COMPILER ${CMAKE_C_COMPILER})

# Libraries, headers and packages come from the mingw-w64 tree only, never
# from the build machine's /usr (whose libsndfile, for one, is a Linux library).
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config likewise looks in the mingw-w64 tree only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${triple}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine runs the programs of a cross build (tests, the renderer).
find_program(SELVARINE_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(SELVARINE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SELVARINE_WINE})
endif()
