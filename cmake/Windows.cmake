# Windows tree (mingw-w64 i686): the core for 32-bit Windows, the demo
# client, the package, the installer and the tests that run under Wine.
if(NOT VORNPACK)
  message(FATAL_ERROR "VORNPACK must name the native packer (configure the native tree instead)")
endif()
if(NOT VORN_WINE_DIR)
  set(VORN_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
endif()
enable_testing()
# Programs link statically against the compiler's runtime so that Wine needs
# nothing but the system's own libraries.
add_link_options(-static -static-libgcc -static-libstdc++)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/wine/run-in-wine.sh)

# GoogleTest from the distribution's sources, for the test programs only.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)


# Windows-side libraries of the installer, each used by the installer and by
# the Wine tests of its subsystem.
add_library(vornwin STATIC common/process_handles.cpp)
target_link_libraries(vornwin PUBLIC vorncore)

# Shell side: the Program Manager group through DDE and the completion actions.
add_library(vornshell STATIC shellint/program_group.cpp shell/completion_actions.cpp)
target_link_libraries(vornshell PUBLIC vornwin user32 advapi32 shell32 kernel32)

# The extraction engine: package check, pump, existing files and rollback.
add_library(vornengine STATIC
  package/existing_files.cpp
  package/extract_member.cpp
  package/extraction_pump.cpp
  package/extraction_state.cpp
  package/file_ops.cpp
  package/member_path.cpp
  package/open_package.cpp)
target_link_libraries(vornengine PUBLIC vornwin)
# package_crc.h is generated beside the demo package.
target_include_directories(vornengine PRIVATE ${CMAKE_BINARY_DIR}/package)
add_dependencies(vornengine demo_package)

add_subdirectory(payload)
include(${CMAKE_SOURCE_DIR}/cmake/Installer.cmake)
add_subdirectory(tests)

# Benchmark of the extraction engine under Wine: a package of about 1 MB made
# from the demo payload with a 2.6 MB real program as vorn32.exe (copies of
# the benchmark's own executable), extracted seven times by
# `cmake --build <tree> --target run_extraction_bench`.
add_executable(extraction_bench bench/extraction_bench.cpp)
target_link_libraries(extraction_bench vornengine)
set(bench_payload ${CMAKE_BINARY_DIR}/bench/payload)
set(bench_package ${CMAKE_BINARY_DIR}/bench/package.bin)
add_custom_command(
  OUTPUT ${bench_package}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${bench_payload}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${VORN_PAYLOAD_DIR} ${bench_payload}
  COMMAND sh -c "for i in 1 2 3 4; do cat $<TARGET_FILE:extraction_bench>; done | head -c 2600000 > ${bench_payload}/vorn32.exe"
  COMMAND ${VORNPACK} build ${bench_payload} -o ${bench_package}
  DEPENDS extraction_bench demo_package ${VORNPACK}
  COMMENT "Packing the benchmark payload"
  VERBATIM)
add_custom_target(run_extraction_bench
  COMMAND ${CMAKE_COMMAND} -E env VORN_WINE_DIR=${VORN_WINE_DIR}
    ${CMAKE_SOURCE_DIR}/tests/wine/run-in-wine.sh $<TARGET_FILE:extraction_bench>
    Z:${bench_package} Z:${bench_payload} Z:${CMAKE_BINARY_DIR}/bench/work 7
  DEPENDS ${bench_package}
  USES_TERMINAL)
