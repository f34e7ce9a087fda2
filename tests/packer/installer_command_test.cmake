# `vornpack installer` on the demo payload and the tree's stub: it makes an
# installer byte-identical to the one the build made, with --stub, with the
# stub found in the installed place (<prefix>/share/vorn beside <prefix>/bin)
# and, for the product's tree, with the stub the build puts beside the packer;
# a packer with no stub anywhere says where it looked. Every refused run (a
# file that is not a stub, a stub that carries a package, a signed stub, an
# output that cannot be written, a payload missing a member) exits 1 with one
# line naming the file and the reason, and leaves no output file behind.
#   cmake -DVORNPACK=... -DSTUB=... -DPAYLOAD=... -DINSTALLER=... -DSIGNED_INSTALLER=...
#         -DOSSLSIGNCODE=... -DSIGNER_P12=... -DSIGNER_PASSWORD_FILE=... [-DBESIDE_PACKER=ON]
#         -DWORK=... -P installer_command_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/refusal.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/out)

function(expect_identical case made)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${INSTALLER} ${made} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${case}: ${made} differs from the build's ${INSTALLER}")
  endif()
  message(STATUS "${case}: byte-identical to the build's installer")
endfunction()

# Runs `<packer> installer PAYLOAD -o <output> <args>`, which must succeed.
function(make case packer output)
  execute_process(COMMAND ${packer} installer ${PAYLOAD} -o ${output} ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE output_text ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${case}: exit ${result}\n${output_text}${error}")
  endif()
endfunction()

make("with --stub" ${VORNPACK} ${WORK}/out/given.exe --stub ${STUB})
expect_identical("with --stub" ${WORK}/out/given.exe)

# An installed packer: bin/vornpack, share/vorn/vornstub.exe.
file(COPY ${VORNPACK} DESTINATION ${WORK}/prefix/bin)
file(MAKE_DIRECTORY ${WORK}/prefix/share/vorn)
file(COPY_FILE ${STUB} ${WORK}/prefix/share/vorn/vornstub.exe)
get_filename_component(packer_name ${VORNPACK} NAME)
make("the installed stub" ${WORK}/prefix/bin/${packer_name} ${WORK}/out/installed.exe)
expect_identical("the installed stub" ${WORK}/out/installed.exe)

if(BESIDE_PACKER)
  make("the stub beside the packer" ${VORNPACK} ${WORK}/out/beside.exe)
  expect_identical("the stub beside the packer" ${WORK}/out/beside.exe)
endif()
file(REMOVE_RECURSE ${WORK}/out)
file(MAKE_DIRECTORY ${WORK}/out)

# A stub signed as a maintainer might by mistake, with the test certificate.
execute_process(COMMAND ${OSSLSIGNCODE} sign -pkcs12 ${SIGNER_P12} -readpass ${SIGNER_PASSWORD_FILE} -h sha256
    -in ${STUB} -out ${WORK}/signed-stub.exe
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "could not sign a copy of the stub:\n${error}")
endif()
file(MAKE_DIRECTORY ${WORK}/a-folder.exe)
file(COPY ${PAYLOAD}/ DESTINATION ${WORK}/short)
file(REMOVE ${WORK}/short/urls.ini)
file(MAKE_DIRECTORY ${WORK}/lonely)
file(COPY ${VORNPACK} DESTINATION ${WORK}/lonely)

# refused(<case> <expected text> <output> <packer> <arguments after -o OUTPUT>...)
function(refused case expected output packer)
  execute_process(COMMAND ${packer} installer ${PAYLOAD} -o ${output} ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE output_text ERROR_VARIABLE error)
  expect_refusal("${case}" "${expected}" "${result}" "${error}")
  file(GLOB left RELATIVE ${WORK}/out ${WORK}/out/* ${WORK}/out/.*)
  if(left OR (EXISTS ${output} AND NOT IS_DIRECTORY ${output}))
    message(FATAL_ERROR "${case}: left behind: ${left} ${output}")
  endif()
  message(STATUS "${case}: refused, nothing written")
endfunction()

set(out ${WORK}/out/vornsetup.exe)
refused("a text file as the stub" "readme.txt: not a Windows program" ${out} ${VORNPACK} --stub ${PAYLOAD}/readme.txt)
refused("a program that is not a stub" "vorn32.exe: not an installer stub" ${out} ${VORNPACK}
  --stub ${PAYLOAD}/vorn32.exe)
refused("an installer as the stub" "vornsetup.exe: already carries a package" ${out} ${VORNPACK} --stub ${INSTALLER})
refused("a signed stub" "signed-stub.exe: signed" ${out} ${VORNPACK} --stub ${WORK}/signed-stub.exe)
refused("a signed installer as the stub" "vornsetup.exe: signed" ${out} ${VORNPACK} --stub ${SIGNED_INSTALLER})
refused("a missing stub" "no-such-stub.exe: cannot open" ${out} ${VORNPACK} --stub ${WORK}/no-such-stub.exe)
refused("no stub anywhere" "no installer stub at ${WORK}/lonely/vornstub.exe or" ${out}
  ${WORK}/lonely/${packer_name})
refused("an output in a missing folder" "cannot create a temporary file" ${WORK}/out/no/such/vornsetup.exe ${VORNPACK} --stub ${STUB})
refused("an output that is a folder" "cannot rename the written file into place" ${WORK}/a-folder.exe ${VORNPACK} --stub ${STUB})
file(GLOB left RELATIVE ${WORK} ${WORK}/a-folder.exe* ${WORK}/.a-folder.exe*)
if(NOT left STREQUAL "a-folder.exe")
  message(FATAL_ERROR "an output that is a folder: left behind: ${left}")
endif()
execute_process(COMMAND ${VORNPACK} installer ${WORK}/short -o ${out} --stub ${STUB}
  RESULT_VARIABLE result ERROR_VARIABLE error OUTPUT_QUIET)
if(NOT result EQUAL 1 OR NOT error MATCHES "^vornpack: [^\n]*urls.ini: cannot open[^\n]*\n$" OR EXISTS ${out})
  message(FATAL_ERROR "a payload missing a member: exit ${result}\n${error}")
endif()
message(STATUS "a payload missing a member: refused, nothing written")
