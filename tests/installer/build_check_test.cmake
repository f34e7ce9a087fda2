# The installer's post-link check (cmake/VerifyInstaller.cmake) on the built
# installer and on copies spoilt the two ways it exists to catch: a marker
# ahead of the package, and a partial marker left pending right before it.
# Each spoilt copy must fail the check and be deleted; the real one passes.
#   cmake -DVORNPACK=... -DINSTALLER=... -DPACKAGE=... -DCRC_HEADER=... -DWORK=... -P build_check_test.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/marker.txt "code that holds ARNI by mistake\n")
file(WRITE ${WORK}/pending.txt "data that ends in A")

function(run_check case file expect_pass)
  file(SIZE ${file} size)
  if(size LESS 1000)
    message(FATAL_ERROR "${case}: the test file was not made")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DVORNPACK=${VORNPACK} -DINSTALLER=${file}
      -DCRC_HEADER=${CRC_HEADER} -P ${CMAKE_CURRENT_LIST_DIR}/../../cmake/VerifyInstaller.cmake
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

file(COPY_FILE ${INSTALLER} ${WORK}/intact.exe)
run_check("intact installer" ${WORK}/intact.exe TRUE)

execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${WORK}/marker.txt ${INSTALLER}
  OUTPUT_FILE ${WORK}/marker_ahead.exe)
run_check("marker ahead of the package" ${WORK}/marker_ahead.exe FALSE)

execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${WORK}/pending.txt ${PACKAGE}
  OUTPUT_FILE ${WORK}/pending_before.exe)
run_check("partial marker pending before the package" ${WORK}/pending_before.exe FALSE)
