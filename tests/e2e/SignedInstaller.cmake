# A third installer for the end-to-end tests: the demo payload, made from the
# stub and signed with a throw-away certificate made here with openssl,
# through the same signing and check as -DVORN_SIGN_PKCS12 (both verifies,
# the signature checked against that certificate).
#   e2e_signed_installer -> E2E_SIGNED_INSTALLER (<tests>/e2e-signed/vornsetup.exe)
set(E2E_SIGNED_DIR ${CMAKE_CURRENT_BINARY_DIR}/e2e-signed)
set(E2E_SIGNED_INSTALLER ${E2E_SIGNED_DIR}/vornsetup.exe)
find_program(VORN_OPENSSL openssl REQUIRED)
add_custom_command(
  OUTPUT ${E2E_SIGNED_DIR}/signer.p12 ${E2E_SIGNED_DIR}/signer-password.txt ${E2E_SIGNED_DIR}/signer.pem
  COMMAND ${CMAKE_COMMAND} -DOPENSSL=${VORN_OPENSSL} -DFOLDER=${E2E_SIGNED_DIR}
    -P ${CMAKE_CURRENT_SOURCE_DIR}/e2e/make_test_signer.cmake
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/e2e/make_test_signer.cmake
  COMMENT "Making a throw-away code-signing certificate")
add_custom_target(e2e_test_signer DEPENDS ${E2E_SIGNED_DIR}/signer.p12)
vorn_add_installer(e2e_signed_installer ${E2E_SIGNED_INSTALLER} ${VORN_PAYLOAD_DIR}
  PAYLOAD_STAMPS ${VORN_PAYLOAD_STAMP} PAYLOAD_TARGETS demo_payload e2e_test_signer
  SIGN_PKCS12 ${E2E_SIGNED_DIR}/signer.p12 SIGN_PASSWORD_FILE ${E2E_SIGNED_DIR}/signer-password.txt
  SIGN_CAFILE ${E2E_SIGNED_DIR}/signer.pem)
