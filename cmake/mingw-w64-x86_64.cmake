# Cross build of the Windows .exe with MinGW-w64 on Debian:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The -posix compilers have std::thread and std::mutex (GoogleTest needs them);
# the runtime is linked statically, so the .exe needs only system DLLs.
# Programs of the build (the unit tests) run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh)

# Packages that have no Windows build on Debian (cmake/cross): GoogleTest is
# built from its sources, the header-only libraries come from the host.
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/cross)
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/cross)
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/cross)
