# What a maintainer on Windows gets from `cmake --install build/windows` or
# from the tree's ZIP (`cmake --build build/windows --target package`): the
# packer vornpack.exe in bin/, and beside it the product's 32-bit installer
# stub, which it packs into when no --stub is given: the 64-bit twin's ZIP
# makes the same installers as the product's.
install(TARGETS vornpack RUNTIME DESTINATION bin)
install(FILES ${VORN_PRODUCT_STUB} DESTINATION bin)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vornpack)
set(CPACK_PACKAGE_VERSION 5.82)
set(CPACK_PACKAGE_VENDOR Vorn)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "The Vorn installer's packer for Windows")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME})
include(CPack)
