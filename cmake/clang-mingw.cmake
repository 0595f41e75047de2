# The second compiler: Debian's Clang and lld for 64-bit Windows, on the
# MinGW-w64 headers and libraries and the posix MinGW GCC's libstdc++ (the
# thread model GoogleTest needs). Its warnings are the nearest check of
# portable code this machine allows.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)

file(GLOB gcc_posix_dirs LIST_DIRECTORIES true /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
list(GET gcc_posix_dirs 0 gcc_posix)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${gcc_posix}/include/c++ \
-isystem ${gcc_posix}/include/c++/x86_64-w64-mingw32 -isystem ${gcc_posix}/include/c++/backward")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${gcc_posix}")
# DLLs link the same way. A plain variable, so that build trees configured
# before the first DLL get it too.
set(CMAKE_SHARED_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_CXX_STANDARD_LIBRARIES "-lpthread")
