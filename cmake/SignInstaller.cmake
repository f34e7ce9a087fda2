# Signs a linked installer in place with osslsigncode: an Authenticode
# signature (SHA-256) behind everything in the file, which the installer's
# scan never reaches. A failure deletes the installer, so that the next build
# links and signs it again rather than leave it unsigned.
#   cmake -DOSSLSIGNCODE=... -DINSTALLER=... -DPKCS12=... [-DPASSWORD_FILE=...]
#         [-DTIMESTAMP_URL=...] [-DDESCRIPTION=...] -P SignInstaller.cmake
set(args sign -pkcs12 ${PKCS12} -h sha256)
if(PASSWORD_FILE)
  list(APPEND args -readpass ${PASSWORD_FILE})  # the password stays in its file
endif()
if(DESCRIPTION)
  list(APPEND args -n ${DESCRIPTION})  # the program name the system's prompts show
endif()
if(TIMESTAMP_URL)
  list(APPEND args -ts ${TIMESTAMP_URL})
endif()
set(signed ${INSTALLER}.signed)
file(REMOVE ${signed})
execute_process(COMMAND ${OSSLSIGNCODE} ${args} -in ${INSTALLER} -out ${signed}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT result EQUAL 0 OR NOT EXISTS ${signed})
  file(REMOVE ${INSTALLER} ${signed})
  message(FATAL_ERROR "signing ${INSTALLER} failed:\n${output}${error}")
endif()
file(RENAME ${signed} ${INSTALLER})
# osslsigncode writes a plain file; the installer stays a program.
file(CHMOD ${INSTALLER} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
