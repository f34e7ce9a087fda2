# What a maintainer on Windows gets from `cmake --install build/windows` or
# from the tree's ZIP (`cmake --build build/windows --target package`): the
# packer vornpack.exe in bin/, and beside it the installer's stub that it
# packs into, once the tree builds one (target vornstub).
install(TARGETS vornpack RUNTIME DESTINATION bin)
if(TARGET vornstub)
  install(TARGETS vornstub RUNTIME DESTINATION bin)
endif()

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
