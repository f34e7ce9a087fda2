# What `cmake --install` and CPack ship: the maintainer's tools. Every install
# rule lives here.
#   <prefix>/bin/vornpack                the packer
#   <prefix>/share/vorn/vornstub.exe     the product's installer stub (i686),
#                                        where vornpack looks when no --stub
#                                        is given (packer/pe/stub_location.h)
# `cpack` in the native tree makes a tar.gz of the same (package "vornpack").
install(TARGETS vornpack RUNTIME DESTINATION bin)
install(FILES ${CMAKE_BINARY_DIR}/windows/vornstub.exe DESTINATION share/vorn)

set(CPACK_PACKAGE_NAME vornpack)
set(CPACK_PACKAGE_VENDOR "Vorn")
set(CPACK_PACKAGE_VERSION 5.82)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vornpack: makes Vorn installers from a payload folder")
set(CPACK_GENERATOR TGZ)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_FILE_NAME vornpack-${CPACK_PACKAGE_VERSION}-linux)
include(CPack)
