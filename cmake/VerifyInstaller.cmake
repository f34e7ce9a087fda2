# Checks an installer made from the stub with the packer's verify: the
# package must be found whole behind everything ahead of it (no marker and no
# partial match pending in the code or the other resources) and have the CRC
# that the installer carries, both in its CRC slot (what its own check
# compares with) and in its version information. A signed installer must
# moreover pass osslsigncode's verify: the signature intact and its digest
# that of the file. A failing installer is deleted, so that the next build
# makes it again.
#   cmake -DVORNPACK=... -DINSTALLER=... [-DOSSLSIGNCODE=... -DOPENSSL=... [-DCAFILE=...]]
#         -P VerifyInstaller.cmake
execute_process(COMMAND ${VORNPACK} verify ${INSTALLER}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  file(REMOVE ${INSTALLER})
  message(FATAL_ERROR "${INSTALLER} fails the package check:\n${output}${error}")
endif()
# A file that carries no CRC would pass verify unchecked.
foreach(carried "the CRC matches the installer's CRC slot" "the CRC matches the one the installer carries")
  string(FIND "${output}" "${carried}" at)
  if(at EQUAL -1)
    file(REMOVE ${INSTALLER})
    message(FATAL_ERROR "${INSTALLER} fails the package check: verify does not say \"${carried}\":\n${output}")
  endif()
endforeach()
if(NOT OSSLSIGNCODE)
  return()
endif()

# Without a CA file the signature is checked against the certificates it
# carries and the system's: that proves it intact and made for this file;
# whether Windows trusts the signer is the certificate's business. The same
# certificates serve for a timestamp's server.
if(NOT CAFILE)
  set(CAFILE ${INSTALLER}.certificates.pem)
  execute_process(COMMAND ${OSSLSIGNCODE} extract-signature -pem -in ${INSTALLER} -out ${INSTALLER}.signature.pem
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
  if(result EQUAL 0)
    execute_process(COMMAND ${OPENSSL} pkcs7 -print_certs -in ${INSTALLER}.signature.pem -out ${CAFILE}
      RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
  endif()
  file(REMOVE ${INSTALLER}.signature.pem)
  if(NOT result EQUAL 0)
    file(REMOVE ${INSTALLER} ${CAFILE})
    message(FATAL_ERROR "${INSTALLER}: no signature to check:\n${output}${error}")
  endif()
  if(EXISTS /etc/ssl/certs/ca-certificates.crt)
    file(READ /etc/ssl/certs/ca-certificates.crt system)
    file(APPEND ${CAFILE} "${system}")
  endif()
endif()
execute_process(COMMAND ${OSSLSIGNCODE} verify -in ${INSTALLER} -CAfile ${CAFILE} -TSA-CAfile ${CAFILE}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
file(REMOVE ${INSTALLER}.certificates.pem)
if(NOT result EQUAL 0)
  file(REMOVE ${INSTALLER})
  message(FATAL_ERROR "${INSTALLER} fails the signature check:\n${output}${error}")
endif()
