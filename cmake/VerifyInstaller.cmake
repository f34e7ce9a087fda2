# Checks a linked installer with the packer's verify: the package must be
# found whole behind everything ahead of it (no marker and no partial match
# pending in the code or the other resources) and carry the CRC that the
# installer compiled in. A failing installer is deleted, so that the next
# build links it again.
#   cmake -DVORNPACK=... -DINSTALLER=... -DCRC_HEADER=... -P VerifyInstaller.cmake
file(STRINGS ${CRC_HEADER} crc_line REGEX "ExpectedPackageCrc = 0x[0-9A-Fa-f]+")
string(REGEX MATCH "0x([0-9A-Fa-f]+)" _ "${crc_line}")
set(crc ${CMAKE_MATCH_1})
if(NOT crc)
  file(REMOVE ${INSTALLER})
  message(FATAL_ERROR "${CRC_HEADER}: no ExpectedPackageCrc")
endif()
execute_process(COMMAND ${VORNPACK} verify ${INSTALLER} --crc ${crc}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  file(REMOVE ${INSTALLER})
  message(FATAL_ERROR "${INSTALLER} fails the package check:\n${output}${error}")
endif()
