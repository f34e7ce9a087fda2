# Cross-compiles the 64-bit twin of the Windows side with mingw-w64 (x86_64):
# the same installer and tests, for machines that can run only 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
