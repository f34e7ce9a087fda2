# The installer's check after it is made (cmake/VerifyInstaller.cmake) on
# the installer and on copies spoilt the two ways it exists to catch: a marker
# ahead of the package, and a partial marker left pending right before it;
# on a file that passes the packer's verify but carries no CRC (the bare
# package); then its signature half on a signed installer, on a copy changed
# after signing and on an unsigned one. Each spoilt copy must fail the check
# and be deleted; the real ones pass.
#   cmake -DVORNPACK=... -DINSTALLER=... -DPACKAGE=... -DSIGNED_INSTALLER=...
#         -DSIGNER=<its certificate> -DOSSLSIGNCODE=... -DOPENSSL=... -DWORK=... -P build_check_test.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/marker.txt "code that holds ARNI by mistake\n")

# run_check(<case> <file> <expect pass> [signature check options...])
function(run_check case file expect_pass)
  file(SIZE ${file} size)
  if(size LESS 1000)
    message(FATAL_ERROR "${case}: the test file was not made")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DVORNPACK=${VORNPACK} -DINSTALLER=${file}
      ${ARGN} -P ${CMAKE_CURRENT_LIST_DIR}/../../cmake/VerifyInstaller.cmake
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(expect_pass AND NOT result EQUAL 0)
    message(FATAL_ERROR "${case}: the check failed an intact installer")
  endif()
  if(NOT expect_pass)
    if(result EQUAL 0)
      message(FATAL_ERROR "${case}: the check passed a spoilt installer")
    endif()
    if(EXISTS ${file})
      message(FATAL_ERROR "${case}: the spoilt installer was not deleted")
    endif()
  endif()
  message(STATUS "${case}: as expected")
endfunction()

# spoilt_copy(<file> <copy> <hex> <bytes after> <letter> [LIMIT <n>]): a copy
# of file with the letter written <bytes after> bytes behind the first place
# where the bytes given in hex stand (in the first n bytes when LIMIT is given;
# a negative <bytes after> writes ahead of them).
function(spoilt_copy file copy hex after letter)
  file(READ ${file} content ${ARGN} HEX)
  string(FIND "${content}" "${hex}" at)
  math(EXPR odd "${at} % 2")
  if(at EQUAL -1 OR odd)
    message(FATAL_ERROR "${hex} was not found in ${file}")
  endif()
  math(EXPR at "${at} / 2 + ${after}")
  file(COPY_FILE ${file} ${copy})
  execute_process(COMMAND sh -c "printf ${letter} | dd of='${copy}' bs=1 seek=${at} conv=notrunc status=none")
endfunction()

file(COPY_FILE ${INSTALLER} ${WORK}/intact.exe)
run_check("intact installer" ${WORK}/intact.exe TRUE)

execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${WORK}/marker.txt ${INSTALLER}
  OUTPUT_FILE ${WORK}/marker_ahead.exe)
run_check("marker ahead of the package" ${WORK}/marker_ahead.exe FALSE)

# The byte right before the package made an A, the marker's first byte.
file(READ ${PACKAGE} package_head LIMIT 32 HEX)
spoilt_copy(${INSTALLER} ${WORK}/pending_before.exe ${package_head} -1 A)
run_check("partial marker pending before the package" ${WORK}/pending_before.exe FALSE)

file(COPY_FILE ${PACKAGE} ${WORK}/no_crc_carried.exe)
execute_process(COMMAND ${VORNPACK} verify ${WORK}/no_crc_carried.exe RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the bare package fails verify: no test of the carried CRC's check")
endif()
run_check("no CRC carried" ${WORK}/no_crc_carried.exe FALSE)

# The signature half. The copy changed after signing differs in one letter of
# the DOS stub's message: the package check still passes, the digest not.
set(signature -DOSSLSIGNCODE=${OSSLSIGNCODE} -DOPENSSL=${OPENSSL})
file(COPY_FILE ${SIGNED_INSTALLER} ${WORK}/signed.exe)
run_check("signed installer, its certificate trusted" ${WORK}/signed.exe TRUE ${signature} -DCAFILE=${SIGNER})
run_check("signed installer, the signature's own certificates" ${WORK}/signed.exe TRUE ${signature})
spoilt_copy(${SIGNED_INSTALLER} ${WORK}/changed_after_signing.exe 54686973 0 t LIMIT 256)  # "This" -> "this"
execute_process(COMMAND ${VORNPACK} verify ${WORK}/changed_after_signing.exe RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the copy changed after signing fails the package check too: no test of the signature check")
endif()
run_check("changed after signing" ${WORK}/changed_after_signing.exe FALSE ${signature} -DCAFILE=${SIGNER})
file(COPY_FILE ${INSTALLER} ${WORK}/unsigned.exe)
run_check("unsigned installer" ${WORK}/unsigned.exe FALSE ${signature} -DCAFILE=${SIGNER})
