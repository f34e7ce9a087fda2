# The vornpack command line on the demo payload and package: a member packed
# and unpacked comes back byte for byte, verify accepts the package with its
# CRC, a verdict that cannot be written out is a failure, and every refused
# input exits non-zero with a one-line error naming the file and the fault,
# leaving no partial output behind.
#   cmake -DVORNPACK=... -DPACKAGE=... -DPAYLOAD=... -DWORK=... -P command_line_test.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Runs vornpack; fails the test unless the exit status is as expected (0 or
# not 0) and, for a refusal, the error holds the given text.
function(vornpack case expect_ok expected_error)
  execute_process(COMMAND ${VORNPACK} ${ARGN} RESULT_VARIABLE result
    OUTPUT_VARIABLE output ERROR_VARIABLE error)
  if(expect_ok AND NOT result EQUAL 0)
    message(FATAL_ERROR "${case}: exit ${result}\n${error}")
  elseif(NOT expect_ok)
    if(result EQUAL 0)
      message(FATAL_ERROR "${case}: accepted\n${output}")
    endif()
    string(FIND "${error}" "${expected_error}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${case}: error does not say \"${expected_error}\":\n${error}")
    endif()
  endif()
  message(STATUS "${case}: as expected")
endfunction()

# One member through pack-member and unpack-member.
vornpack("pack a member" TRUE "" pack-member ${PAYLOAD}/vorn32.exe ${WORK}/client.member)
vornpack("unpack it" TRUE "" unpack-member ${WORK}/client.member ${WORK}/client.exe)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PAYLOAD}/vorn32.exe ${WORK}/client.exe
  RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "pack-member then unpack-member changed the client")
endif()

# The package with its own CRC, then with another.
execute_process(COMMAND ${VORNPACK} verify ${PACKAGE} OUTPUT_VARIABLE table)
string(REGEX MATCH "CRC-32 0x([0-9A-F]+)" _ "${table}")
vornpack("verify with its CRC" TRUE "" verify ${PACKAGE} --crc ${CMAKE_MATCH_1} --payload ${PAYLOAD})
vornpack("verify with another CRC" FALSE "differs from the expected" verify ${PACKAGE} --crc 1234ABCD)
vornpack("verify a file without package" FALSE "readme.txt: no package" verify ${PAYLOAD}/readme.txt)
# A verdict that cannot be written out is no success.
execute_process(COMMAND ${VORNPACK} verify ${PACKAGE} OUTPUT_FILE /dev/full RESULT_VARIABLE result
  ERROR_VARIABLE error)
if(result EQUAL 0 OR NOT error MATCHES "standard output: cannot write: No space left on device")
  message(FATAL_ERROR "verify into a full output: exit ${result}\n${error}")
endif()
message(STATUS "verify into a full output: as expected")

# Refused inputs leave nothing behind.
file(MAKE_DIRECTORY ${WORK}/short)
file(COPY ${PAYLOAD}/ DESTINATION ${WORK}/short)
file(REMOVE ${WORK}/short/urls.ini)
vornpack("build with a member missing" FALSE "urls.ini: cannot open" build ${WORK}/short -o ${WORK}/short.bin)
file(WRITE ${WORK}/short/urls.ini "")
vornpack("build with an empty member" FALSE "urls.ini: empty file" build ${WORK}/short -o ${WORK}/short.bin)
vornpack("build into a missing folder" FALSE "cannot write" build ${PAYLOAD} -o ${WORK}/no/such/package.bin)
# A member no coding can pack: seven bytes without a repeat or a space, whose
# literal codes spell the marker. The whole error is one line that says why.
string(ASCII 181 198 194 189 153 75 140 seven)
file(WRITE ${WORK}/short/urls.ini "${seven}")
execute_process(COMMAND ${VORNPACK} build ${WORK}/short -o ${WORK}/short.bin RESULT_VARIABLE result
  OUTPUT_QUIET ERROR_VARIABLE error)
set(expected "vornpack: ${WORK}/short/urls.ini: cannot be packed: the codes of its bytes 0-3 form the \
package marker \"ARNI\" at byte 4 of the member stream, and no coding of bytes 0-3 avoids it (they repeat \
no three bytes and hold no run of three spaces, so each can only be coded as itself); changing one of them \
changes their coding, while bytes added in front only shift it and may leave the marker in place\n")
if(result EQUAL 0 OR NOT error STREQUAL expected)
  message(FATAL_ERROR "build with a member no coding can pack: exit ${result}, error:\n${error}")
endif()
message(STATUS "build with a member no coding can pack: as expected")
file(WRITE ${WORK}/cut.member "AB")  # ends inside the four-byte size header
vornpack("unpack a cut header" FALSE "not a decodable member stream" unpack-member ${WORK}/cut.member ${WORK}/cut.out)
foreach(left short.bin short.bin.partial no/such/package.bin cut.out cut.out.partial)
  if(EXISTS ${WORK}/${left})
    message(FATAL_ERROR "${left} was left behind")
  endif()
endforeach()
