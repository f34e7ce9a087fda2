# A second installer for the end-to-end tests and the timing benchmark, made
# from the stub like the installer but carrying a package of about 1 MB, so
# that an extraction lasts long enough to be interrupted.
#   e2e_big_installer -> E2E_BIG_INSTALLER (<tests>/e2e-big/vornsetup.exe), payload in e2e-big/payload
set(E2E_BIG_DIR ${CMAKE_CURRENT_BINARY_DIR}/e2e-big)
set(E2E_BIG_PAYLOAD ${E2E_BIG_DIR}/payload)
set(E2E_BIG_INSTALLER ${E2E_BIG_DIR}/vornsetup.exe)
add_custom_command(
  OUTPUT ${E2E_BIG_DIR}/payload.stamp
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${VORN_PAYLOAD_DIR} -DTARGET=${E2E_BIG_PAYLOAD}
    -P ${CMAKE_CURRENT_SOURCE_DIR}/e2e/big_payload.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${E2E_BIG_DIR}/payload.stamp
  DEPENDS ${VORN_PAYLOAD_STAMP} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/big_payload.cmake
  COMMENT "Writing the large test payload")
add_custom_target(e2e_big_payload DEPENDS ${E2E_BIG_DIR}/payload.stamp)
add_dependencies(e2e_big_payload demo_payload)
vorn_add_installer(e2e_big_installer ${E2E_BIG_INSTALLER} ${E2E_BIG_PAYLOAD}
  PAYLOAD_STAMPS ${E2E_BIG_DIR}/payload.stamp PAYLOAD_TARGETS e2e_big_payload)
