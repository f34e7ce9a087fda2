# A second installer for the end-to-end tests and the timing benchmark, built
# like the installer but carrying a package of about 1 MB, so that an
# extraction lasts long enough to be interrupted.
#   e2e_big_installer -> <tests>/e2e-big/vornsetup.exe, payload in e2e-big/payload
set(E2E_BIG_DIR ${CMAKE_CURRENT_BINARY_DIR}/e2e-big)
set(E2E_BIG_PAYLOAD ${E2E_BIG_DIR}/payload)
add_custom_command(
  OUTPUT ${E2E_BIG_DIR}/package.bin ${E2E_BIG_DIR}/package_crc.h
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${VORN_PAYLOAD_DIR} -DTARGET=${E2E_BIG_PAYLOAD}
    -P ${CMAKE_CURRENT_SOURCE_DIR}/e2e/big_payload.cmake
  COMMAND ${VORNPACK} build ${E2E_BIG_PAYLOAD} -o ${E2E_BIG_DIR}/package.bin
    --header ${E2E_BIG_DIR}/package_crc.h
  DEPENDS demo_package ${CMAKE_CURRENT_SOURCE_DIR}/e2e/big_payload.cmake ${VORNPACK}
  COMMENT "Packing the large test payload")
add_custom_target(e2e_big_package DEPENDS ${E2E_BIG_DIR}/package.bin)
vorn_add_installer(e2e_big_installer ${E2E_BIG_DIR} ${E2E_BIG_DIR}/package.bin ${E2E_BIG_DIR}/package_crc.h
  e2e_big_package)
