# Native tree: packer, native tests, fuzz harnesses (their corpus replays),
# benchmarks, and the two Windows trees as
# external projects that use the packer built here. -DVORN_PAYLOAD=DIR packs
# the ten files of DIR into the installers instead of the demo payload.
include(ExternalProject)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
enable_testing()

add_subdirectory(packer)
add_subdirectory(tests)
add_subdirectory(fuzz)
add_subdirectory(bench)

# Two Windows trees from the same sources: build/windows (i686, the product:
# the shipped installer is the 32-bit one) and build/windows64 (x86_64, the
# twin that runs where the kernel cannot run 32-bit programs, and everywhere
# else too so that it never rots). Each has its own Wine prefix.
#   vorn_add_windows_tree(<name> <toolchain file> <wine folder>)
function(vorn_add_windows_tree name toolchain wine_dir)
  ExternalProject_Add(${name}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${name}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/${toolchain}
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DVORNPACK=$<TARGET_FILE:vornpack>
      -DVORN_WINE_DIR=${CMAKE_BINARY_DIR}/${wine_dir}
      -DVORN_PAYLOAD=${VORN_PAYLOAD}
      # The product's tree (the i686 one): its stub is what every vornpack
      # takes by default, so both trees ship it beside vornpack.exe.
      -DVORN_PRODUCT_TREE=${CMAKE_BINARY_DIR}/windows
      # Signing (cmake/Signing.cmake): file names and a URL only, no password.
      -DVORN_SIGN_PKCS12=${VORN_SIGN_PKCS12}
      -DVORN_SIGN_PASSWORD_FILE=${VORN_SIGN_PASSWORD_FILE}
      -DVORN_SIGN_TIMESTAMP_URL=${VORN_SIGN_TIMESTAMP_URL}
      -DVORN_SIGN_CAFILE=${VORN_SIGN_CAFILE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS vornpack)
  # The tree registers its Wine tests in its tests folder; ctest here reads
  # them from there.
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES
    ${CMAKE_BINARY_DIR}/${name}/tests/CTestTestfile.cmake)
endfunction()

vorn_add_windows_tree(windows mingw-i686.cmake wine)
vorn_add_windows_tree(windows64 mingw-x86_64.cmake wine64)

# The packer's default stub, the product's (the i686 tree's), copied beside
# it: `build/packer/vornpack installer PAYLOAD -o OUT.exe` needs no --stub.
add_custom_target(vornpack_stub ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_BINARY_DIR}/windows/vornstub.exe
    $<TARGET_FILE_DIR:vornpack>/vornstub.exe
  COMMENT "Putting the installer stub beside the packer"
  VERBATIM)
add_dependencies(vornpack_stub windows)

include(${CMAKE_SOURCE_DIR}/cmake/Install.cmake)
