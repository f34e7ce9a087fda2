# What a maintainer on Windows gets: cmake --install of the Windows tree and
# its ZIP both hold exactly the expected files (vornpack.exe, and the stub
# once the tree builds one), the installed packer the same bytes as the
# built one.
#   cmake -DTREE=... -DCPACK=... -DWORK=... -DEXPECTED=<relative paths> -P windows_distribution_test.cmake
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${TREE} --prefix ${WORK}/prefix
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
if(result)
  message(FATAL_ERROR "cmake --install: exit ${result}\n${error}")
endif()
file(GLOB_RECURSE installed RELATIVE ${WORK}/prefix ${WORK}/prefix/*)
list(SORT installed)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "cmake --install put ${installed}, not ${expected}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${TREE}/packer/vornpack.exe ${WORK}/prefix/bin/vornpack.exe
  RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the installed vornpack.exe differs from the built one")
endif()
message(STATUS "cmake --install: ${installed}")

execute_process(COMMAND ${CPACK} --config ${TREE}/CPackConfig.cmake -B ${WORK}/cpack
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
file(GLOB zips ${WORK}/cpack/*.zip)
list(LENGTH zips count)
if(result OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack: exit ${result}, zips: ${zips}\n${output}${error}")
endif()
file(MAKE_DIRECTORY ${WORK}/unzipped)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zips} WORKING_DIRECTORY ${WORK}/unzipped RESULT_VARIABLE result)
string(REGEX REPLACE "\\.zip$" "" top "${zips}")
get_filename_component(top ${top} NAME)
file(GLOB_RECURSE zipped RELATIVE ${WORK}/unzipped/${top} ${WORK}/unzipped/${top}/*)
list(SORT zipped)
if(result OR NOT zipped STREQUAL expected)
  message(FATAL_ERROR "the ZIP ${zips} holds ${zipped}, not ${expected}")
endif()
message(STATUS "the ZIP ${top}.zip: ${zipped}")
