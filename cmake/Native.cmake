# Native tree: packer, native tests, benchmarks, and the Windows tree as an
# external project that uses the packer built here. -DVORN_PAYLOAD=DIR packs
# the ten files of DIR into the installer instead of the demo payload.
include(ExternalProject)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
enable_testing()

add_subdirectory(packer)
add_subdirectory(tests)
add_subdirectory(bench)

ExternalProject_Add(windows
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/windows
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DVORNPACK=$<TARGET_FILE:vornpack>
    -DVORN_WINE_DIR=${CMAKE_BINARY_DIR}/wine
    -DVORN_PAYLOAD=${VORN_PAYLOAD}
    # Signing (cmake/Signing.cmake): file names and a URL only, no password.
    -DVORN_SIGN_PKCS12=${VORN_SIGN_PKCS12}
    -DVORN_SIGN_PASSWORD_FILE=${VORN_SIGN_PASSWORD_FILE}
    -DVORN_SIGN_TIMESTAMP_URL=${VORN_SIGN_TIMESTAMP_URL}
    -DVORN_SIGN_CAFILE=${VORN_SIGN_CAFILE}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  DEPENDS vornpack)

# The Windows tree registers its Wine tests in its tests folder; ctest here
# reads them from there.
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
  ${CMAKE_BINARY_DIR}/windows/tests/CTestTestfile.cmake)
