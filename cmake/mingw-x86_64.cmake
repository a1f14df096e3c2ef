# 64-bit Windows: the build that runs under Wine on machines that cannot
# execute 32-bit x86 code (see README, "Architectures").
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
