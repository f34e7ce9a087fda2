# The vornpack command line on the demo payload, package and installer: a
# member packed and unpacked comes back byte for byte, verify accepts the
# package with its CRC, a verdict that cannot be written out is a failure,
# extract gives back the payload byte for byte, and every refused input exits
# non-zero with a one-line error naming the file and the fault, leaving no
# partial output behind; --help and wrong command lines print the usage.
#   cmake -DVORNPACK=... -DPACKAGE=... -DPAYLOAD=... -DINSTALLER=... -DWORK=... -P command_line_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/refusal.cmake)
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
vornpack("build into a missing folder" FALSE "package.bin: cannot create a temporary file: No such file"
  build ${PAYLOAD} -o ${WORK}/no/such/package.bin)
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

# A header that cannot be written loses no earlier file: the old package
# stays byte for byte, and nothing new is left beside it.
file(WRITE ${WORK}/old.pkg "the old package")
vornpack("build with a header into a missing folder" FALSE "crc.h: cannot create a temporary file: No such file"
  build ${PAYLOAD} -o ${WORK}/old.pkg --header ${WORK}/missing/dir/crc.h)
file(READ ${WORK}/old.pkg old)
file(GLOB left ${WORK}/.old.pkg.*)
if(NOT old STREQUAL "the old package" OR left)
  message(FATAL_ERROR "a failed header lost the old package: it holds \"${old}\", left ${left}")
endif()

# Every refusal: exit 1, one line "vornpack: <file>: <reason>", and no output
# file, temporary or otherwise, where the output would have gone.
#   refused(<case> <error text> <output> <command>...)
function(refused case expected_error output)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE error)
  expect_refusal("${case}" "${expected_error}" "${result}" "${error}")
  get_filename_component(folder ${output} DIRECTORY)
  get_filename_component(name ${output} NAME)
  file(GLOB left ${output} ${folder}/.${name}.*)
  if(left)
    message(FATAL_ERROR "${case}: left behind: ${left}")
  endif()
  message(STATUS "${case}: refused, nothing written")
endfunction()
# A member stream whose header declares 4 GiB: verify's bound, before any decoding.
file(COPY_FILE ${WORK}/client.member ${WORK}/huge.member)
execute_process(COMMAND sh -c "printf '\\377\\377\\377\\377' | dd of='${WORK}/huge.member' conv=notrunc status=none")
refused("unpack a member that declares 4 GiB" "huge.member: not a decodable member stream: declares 4294967295 bytes"
  ${WORK}/huge.out ${VORNPACK} unpack-member ${WORK}/huge.member ${WORK}/huge.out)
refused("unpack into a missing folder" "out.exe: cannot create a temporary file: No such file"
  ${WORK}/no/such/out.exe ${VORNPACK} unpack-member ${WORK}/client.member ${WORK}/no/such/out.exe)
file(MAKE_DIRECTORY ${WORK}/a-folder)
refused("pack a folder" "a-folder: is a folder, not a file" ${WORK}/folder.member
  ${VORNPACK} pack-member ${WORK}/a-folder ${WORK}/folder.member)
file(REMOVE ${WORK}/short/vorn.ini)
file(MAKE_DIRECTORY ${WORK}/short/vorn.ini)
refused("build with a member that is a folder" "short/vorn.ini: is a folder, not a file" ${WORK}/short.bin
  ${VORNPACK} build ${WORK}/short -o ${WORK}/short.bin)
file(REMOVE_RECURSE ${WORK}/short/vorn.ini)
file(COPY ${PAYLOAD}/vorn.ini DESTINATION ${WORK}/short)
# An output that cannot be written in full (files limited to 4 KiB): the
# write is named, and neither the output nor its temporary stays.
refused("build where the write fails" "short.bin: cannot write: File too large" ${WORK}/short.bin
  bash -c "trap '' XFSZ && ulimit -f 4 && exec \"$0\" \"$@\"" ${VORNPACK} build ${PAYLOAD} -o ${WORK}/short.bin)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT uid STREQUAL "0")
  # Permissions stop only others than root.
  file(MAKE_DIRECTORY ${WORK}/locked)
  file(CHMOD ${WORK}/locked PERMISSIONS OWNER_READ OWNER_EXECUTE)
  refused("build into a read-only folder" "package.bin: cannot create a temporary file: Permission denied"
    ${WORK}/locked/package.bin ${VORNPACK} build ${PAYLOAD} -o ${WORK}/locked/package.bin)
  file(COPY ${PAYLOAD}/urls.ini DESTINATION ${WORK}/unreadable)
  file(CHMOD ${WORK}/unreadable/urls.ini PERMISSIONS OWNER_WRITE)
  refused("pack an unreadable member" "urls.ini: cannot open: Permission denied" ${WORK}/unreadable.member
    ${VORNPACK} pack-member ${WORK}/unreadable/urls.ini ${WORK}/unreadable.member)
else()
  message(STATUS "read-only folder and unreadable member: not tried as root, whom permissions do not stop")
endif()

# Links planted at the names the writers once used (<output>.partial) are
# never followed: the file they point to stays as it was, the output is a
# plain file of its own. Two runs writing one output at once both succeed
# and leave it whole.
file(WRITE ${WORK}/victim "the victim's bytes")
file(MAKE_DIRECTORY ${WORK}/planted)
foreach(name package.bin crc.h client.member client.exe)
  file(CREATE_LINK ${WORK}/victim ${WORK}/planted/${name}.partial SYMBOLIC)
endforeach()
vornpack("build past planted links" TRUE "" build ${PAYLOAD} -o ${WORK}/planted/package.bin
  --header ${WORK}/planted/crc.h)
vornpack("pack-member past a planted link" TRUE "" pack-member ${PAYLOAD}/vorn32.exe ${WORK}/planted/client.member)
vornpack("unpack-member past a planted link" TRUE "" unpack-member ${WORK}/planted/client.member
  ${WORK}/planted/client.exe)
file(READ ${WORK}/victim victim)
if(NOT victim STREQUAL "the victim's bytes")
  message(FATAL_ERROR "a planted link was followed: the victim holds \"${victim}\"")
endif()
foreach(name package.bin crc.h client.member client.exe)
  if(IS_SYMLINK ${WORK}/planted/${name} OR NOT EXISTS ${WORK}/planted/${name})
    message(FATAL_ERROR "planted/${name} is not a plain file")
  endif()
endforeach()
foreach(pair "package.bin;${PACKAGE}" "client.exe;${PAYLOAD}/vorn32.exe")
  list(GET pair 0 name)
  list(GET pair 1 original)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${original} ${WORK}/planted/${name} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "planted/${name} differs from ${original}")
  endif()
endforeach()
# (The two commands of one execute_process run at once; their reports go
# to /dev/null, not into the pipe between them.)
set(build_twice sh -c "exec \"$0\" build \"$1\" -o \"$2\" >/dev/null" ${VORNPACK} ${PAYLOAD} ${WORK}/twice.bin)
execute_process(COMMAND ${build_twice} COMMAND ${build_twice} RESULTS_VARIABLE results OUTPUT_QUIET
  ERROR_VARIABLE error)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PACKAGE} ${WORK}/twice.bin RESULT_VARIABLE differs)
file(GLOB left ${WORK}/.twice.bin.*)
if(NOT results STREQUAL "0;0" OR differs OR left)
  message(FATAL_ERROR "two builds into one output: exits ${results}, differs ${differs}, left ${left}\n${error}")
endif()
message(STATUS "planted links and two writers at once: as expected")

# The tool's version on standard output with exit 0, as scripts read it.
execute_process(COMMAND ${VORNPACK} --version RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT result EQUAL 0 OR NOT output MATCHES "^vornpack [0-9]+\\.[0-9]+\n$" OR NOT error STREQUAL "")
  message(FATAL_ERROR "--version: exit ${result}\n${output}${error}")
endif()

# The usage: asked for on standard output with exit 0; for a wrong command
# line on standard error with exit 2.
execute_process(COMMAND ${VORNPACK} --help RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT result EQUAL 0 OR NOT output MATCHES "^usage: vornpack build" OR NOT output MATCHES "vornpack extract FILE DIR"
   OR NOT output MATCHES "--version"
   OR NOT error STREQUAL "")
  message(FATAL_ERROR "--help: exit ${result}\n${output}${error}")
endif()
foreach(wrong "" "frobnicate" "extract;${PACKAGE}" "extract;${PACKAGE};${WORK}/x;extra" "extract;--bogus;${PACKAGE};${WORK}/x"
    "verify;${PACKAGE};--crc" "verify;${PACKAGE};--crc;xyz" "verify;${PACKAGE};--crc;1;--crc;2" "build;${PAYLOAD}"
    "pack-member;${PAYLOAD}/urls.ini")
  execute_process(COMMAND ${VORNPACK} ${wrong} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
  if(NOT result EQUAL 2 OR NOT error MATCHES "\nusage: vornpack build" OR NOT output STREQUAL "")
    message(FATAL_ERROR "command line \"${wrong}\": exit ${result}, not 2 with the usage\n${output}${error}")
  endif()
endforeach()
if(EXISTS ${WORK}/x)
  message(FATAL_ERROR "a wrong command line created its folder")
endif()
message(STATUS "usage and wrong command lines: as expected")

# Extract gives back the payload byte for byte, from the installer and from
# the bare package, into a folder it creates; nothing else is left there.
file(GLOB payload_names RELATIVE ${PAYLOAD} ${PAYLOAD}/*)
list(SORT payload_names)
function(expect_payload case folder)
  file(GLOB names RELATIVE ${folder} ${folder}/* ${folder}/.*)
  list(SORT names)
  if(NOT names STREQUAL payload_names)
    message(FATAL_ERROR "${case}: the folder holds ${names}, not ${payload_names}")
  endif()
  foreach(name ${payload_names})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PAYLOAD}/${name} ${folder}/${name}
      RESULT_VARIABLE differs)
    if(differs)
      message(FATAL_ERROR "${case}: ${name} differs from the payload")
    endif()
  endforeach()
endfunction()
vornpack("extract the installer" TRUE "" extract ${INSTALLER} ${WORK}/from-installer/new)
expect_payload("extract the installer" ${WORK}/from-installer/new)
vornpack("extract the package" TRUE "" extract ${PACKAGE} ${WORK}/from-package)
expect_payload("extract the package" ${WORK}/from-package)

# An existing file is replaced only with --force; without, nothing is written.
file(WRITE ${WORK}/over/vorn.ini "changed")
vornpack("extract over an existing file" FALSE "vorn.ini: already exists" extract ${PACKAGE} ${WORK}/over)
file(GLOB left RELATIVE ${WORK}/over ${WORK}/over/* ${WORK}/over/.*)
file(READ ${WORK}/over/vorn.ini kept)
if(NOT left STREQUAL "vorn.ini" OR NOT kept STREQUAL "changed")
  message(FATAL_ERROR "a refused extract wrote something: ${left}, vorn.ini holds \"${kept}\"")
endif()
vornpack("extract with --force" TRUE "" extract ${PACKAGE} ${WORK}/over --force)
expect_payload("extract with --force" ${WORK}/over)

# Repeated and trailing separators, "." and ".." in the folder's path.
foreach(case "a//b;a/b" "n/.;n" "t///;t" "u/v/../w;u/w")
  list(GET case 0 given)
  list(GET case 1 into)
  vornpack("extract into ${given}" TRUE "" extract ${PACKAGE} ${WORK}/paths/${given})
  expect_payload("extract into ${given}" ${WORK}/paths/${into})
endforeach()

# Spoilt copies: one byte of the package flipped (in the installer, which
# carries its CRC; in the bare package, checked with the CRC given), the
# installer cut inside its package, a file with no package.
file(SIZE ${PACKAGE} package_size)
file(READ ${PACKAGE} package_head LIMIT 32 HEX)
file(READ ${INSTALLER} installer_hex HEX)
string(FIND "${installer_hex}" "${package_head}" at)
math(EXPR package_at "${at} / 2")
math(EXPR odd "${at} % 2")
if(at EQUAL -1 OR odd)
  message(FATAL_ERROR "the package was not found in the installer")
endif()
# Copies file to copy with the byte at offset changed: its lowest bit flipped.
function(flip_byte file offset copy)
  file(COPY_FILE ${file} ${copy})
  file(READ ${file} byte OFFSET ${offset} LIMIT 1 HEX)
  math(EXPR v "0x${byte} ^ 1")
  math(EXPR o1 "${v} / 64")
  math(EXPR o2 "${v} / 8 % 8")
  math(EXPR o3 "${v} % 8")
  execute_process(COMMAND sh -c "printf '\\${o1}${o2}${o3}' | dd of='${copy}' bs=1 seek=${offset} conv=notrunc status=none"
    RESULT_VARIABLE failed)
  file(READ ${copy} changed OFFSET ${offset} LIMIT 1 HEX)
  math(EXPR expected "0x${byte} ^ 1" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR got "0x${changed}" OUTPUT_FORMAT HEXADECIMAL)
  if(failed OR NOT got EQUAL expected)
    message(FATAL_ERROR "could not flip byte ${offset} of ${copy}")
  endif()
endfunction()
math(EXPR middle "${package_at} + ${package_size} / 2")
flip_byte(${INSTALLER} ${middle} ${WORK}/flipped.exe)
math(EXPR middle "${package_size} / 2")
flip_byte(${PACKAGE} ${middle} ${WORK}/flipped.bin)
execute_process(COMMAND ${VORNPACK} verify ${PACKAGE} OUTPUT_VARIABLE table)
string(REGEX MATCH "CRC-32 0x([0-9A-F]+)" _ "${table}")
set(package_crc ${CMAKE_MATCH_1})
math(EXPR cut_size "${package_at} + ${package_size} / 2")
execute_process(COMMAND dd if=${INSTALLER} of=${WORK}/cut.exe bs=${cut_size} count=1 status=none)
file(SIZE ${WORK}/cut.exe size)
if(NOT size EQUAL cut_size)
  message(FATAL_ERROR "could not cut the installer")
endif()

# Runs an extract that must be refused with a one-line error holding the
# given text, into a folder holding one file and into a missing folder;
# afterwards the first holds only that file and the second is still missing.
#   refused_extract(<case> <error text> <command up to the folder>...)
function(refused_extract case expected_error)
  file(REMOVE_RECURSE ${WORK}/into ${WORK}/missing)
  file(WRITE ${WORK}/into/keep.txt "kept")
  foreach(folder ${WORK}/into ${WORK}/missing/deeper)
    execute_process(COMMAND ${ARGN} ${folder} RESULT_VARIABLE result
      OUTPUT_VARIABLE output ERROR_VARIABLE error)
    expect_refusal("${case}" "${expected_error}" "${result}" "${error}")
  endforeach()
  file(GLOB left RELATIVE ${WORK}/into ${WORK}/into/* ${WORK}/into/.*)
  if(NOT left STREQUAL "keep.txt" OR EXISTS ${WORK}/missing)
    message(FATAL_ERROR "${case}: left behind: ${left}")
  endif()
  message(STATUS "${case}: refused, nothing new")
endfunction()
refused_extract("extract a flipped byte in the installer" "the installer carries"
  ${VORNPACK} extract ${WORK}/flipped.exe)
refused_extract("extract a flipped byte in the package" "differs from the expected"
  ${VORNPACK} extract ${WORK}/flipped.bin --crc ${package_crc})
refused_extract("extract a cut installer" "no closing double marker" ${VORNPACK} extract ${WORK}/cut.exe)
refused_extract("extract a file with no package" "readme.txt: no package"
  ${VORNPACK} extract ${PAYLOAD}/readme.txt)
# Files limited to 20 KiB (bash counts in KiB): the client (16 KiB) passes,
# the first help file (28 KiB) cannot be written, whether into the check's
# temporary file or into DIR, and nothing is left. (No semicolons in the
# script: it travels in a CMake list.) The writer's own failures part-way are
# tested in packer_tests.
refused_extract("extract where a write fails" "(vorn.hlp) not checked: cannot write the decoded bytes"
  bash -c "trap '' XFSZ && ulimit -f 20 && exec \"$0\" \"$@\"" ${VORNPACK} extract ${INSTALLER})
