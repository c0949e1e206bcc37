# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, for
# std::thread and std::mutex):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKAVREL_PLATFORM_ONLY=ON ...
# Test programs run under Wine (Debian's wine64), which CTest is told.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KAVREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KAVREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVREL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KAVREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs and libraries carry the C, C++ and thread runtimes inside, so
# nothing has to be copied beside them or found on Wine's path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Debian installs the 64-bit loader outside PATH.
find_program(KAVREL_WINE64 wine64 PATHS /usr/lib/wine)
if(KAVREL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KAVREL_WINE64})
endif()
