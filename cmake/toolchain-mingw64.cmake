# Cross-compiles Windows x64 binaries with Debian's mingw-w64 (POSIX thread model,
# so std::thread and std::mutex work).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVRIN_CROSS x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TAVRIN_CROSS}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIN_CROSS}-g++-posix)
set(CMAKE_RC_COMPILER  ${TAVRIN_CROSS}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIN_CROSS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe and .dll must run from its folder alone: no libgcc, libstdc++ or
# winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
