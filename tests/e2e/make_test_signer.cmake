# A throw-away code-signing certificate for the signed test installer: a
# self-signed certificate and key in <folder>/signer.p12, protected by a
# random password in <folder>/signer-password.txt (passed by file, never on a
# command line), and the certificate alone in <folder>/signer.pem.
#   cmake -DOPENSSL=... -DFOLDER=... -P make_test_signer.cmake
file(MAKE_DIRECTORY ${FOLDER})
set(key ${FOLDER}/signer-key.pem)
function(run)
  execute_process(COMMAND ${OPENSSL} ${ARGN} RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    file(REMOVE ${key})
    message(FATAL_ERROR "openssl ${ARGV0} failed:\n${error}")
  endif()
endfunction()
run(rand -hex -out ${FOLDER}/signer-password.txt 24)
run(req -x509 -newkey rsa:2048 -noenc -keyout ${key} -out ${FOLDER}/signer.pem -days 3650
  -subj "/CN=Vorn test signer (throw-away)" -addext "keyUsage=critical,digitalSignature"
  -addext "extendedKeyUsage=codeSigning")
run(pkcs12 -export -inkey ${key} -in ${FOLDER}/signer.pem -out ${FOLDER}/signer.p12
  -passout file:${FOLDER}/signer-password.txt)
file(REMOVE ${key})
