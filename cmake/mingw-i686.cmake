# Cross-compiles the 32-bit Windows side with mingw-w64 (i686): the product.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
