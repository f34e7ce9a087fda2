# Targets of the end-to-end tests (included from tests/CMakeLists.txt, which
# registers the tests): the driver library, the four test programs, the
# planted-library stand-ins, the large-package and the signed installers, the
# timing benchmark and the screenshot tour.
include(${CMAKE_CURRENT_LIST_DIR}/BigInstaller.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/SignedInstaller.cmake)

# The driver: a run of the installer, its windows, what it left behind; on
# top of the test support library (files, waits, programs, the stand-ins).
add_library(vorn_e2e_driver STATIC
  e2e/driver/outcome.cpp
  e2e/driver/scenario.cpp
  e2e/driver/real_keys.cpp
  e2e/driver/window_driver.cpp
  e2e/driver/wizard_reference.cpp)
target_link_libraries(vorn_e2e_driver PUBLIC vorn_test_support user32 gdi32 advapi32)

# Libraries that record their own loading (e2e/planted/library_probe.cpp),
# planted beside programs under system libraries' names: "Ctl3d32.dll" with
# its entry points, and one without exports for every other name. They use
# kernel32 alone and no C runtime, so that nothing but their name decides
# whether they load. A program that loads "Ctl3d32.dll" by name, and the
# reference that imports only kernel32 and user32 (e2e/planted/two_imports.cpp).
add_library(e2e_ctl3d_probe SHARED e2e/ctl3d/ctl3d_probe.cpp e2e/planted/library_probe.cpp)
set_target_properties(e2e_ctl3d_probe PROPERTIES OUTPUT_NAME Ctl3d32 PREFIX "" SUFFIX ".dll"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/e2e-ctl3d)
add_library(e2e_library_probe SHARED e2e/planted/library_probe.cpp)
set_target_properties(e2e_library_probe PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY
  ${CMAKE_CURRENT_BINARY_DIR}/e2e-planted)
add_executable(e2e_two_imports WIN32 e2e/planted/two_imports.cpp)
set_target_properties(e2e_two_imports PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/e2e-planted)
foreach(target e2e_ctl3d_probe e2e_library_probe e2e_two_imports)
  target_compile_options(${target} PRIVATE ${VORN_STUB_COMPILE_OPTIONS})
  target_link_options(${target} PRIVATE -nostdlib -nostartfiles -Wl,--kill-at)
endforeach()
target_link_libraries(e2e_ctl3d_probe PRIVATE kernel32)
target_link_libraries(e2e_library_probe PRIVATE kernel32)
target_link_libraries(e2e_two_imports PRIVATE kernel32 user32)
add_executable(e2e_ctl3d_loader WIN32 e2e/ctl3d/ctl3d_loader.cpp)

foreach(program e2e_wizard_tests e2e_install_tests e2e_keyboard_tests e2e_planted_libraries_tests)
  string(REPLACE "e2e_" "" source ${program})
  string(REPLACE "_tests" "_test.cpp" source ${source})
  add_executable(${program} e2e/e2e_main.cpp e2e/${source})
  target_link_libraries(${program} vorn_e2e_driver vorn_test_skips)
  add_dependencies(${program} vorninstall e2e_big_installer e2e_signed_installer e2e_ctl3d_probe
    e2e_ctl3d_loader e2e_library_probe e2e_two_imports)
endforeach()
# Two installers at once, in the same program as the other installations.
target_sources(e2e_install_tests PRIVATE e2e/two_installers_test.cpp)

# Everything the programs are told, as Unix paths.
set(VORN_E2E_INPUTS
  --installer ${VORN_INSTALLER} --payload ${VORN_PAYLOAD_DIR}
  --big-installer ${E2E_BIG_INSTALLER} --big-payload ${E2E_BIG_PAYLOAD}
  --signed-installer ${E2E_SIGNED_INSTALLER}
  --ctl3d-probe $<TARGET_FILE:e2e_ctl3d_probe> --ctl3d-loader $<TARGET_FILE:e2e_ctl3d_loader>
  --library-probe $<TARGET_FILE:e2e_library_probe> --two-imports $<TARGET_FILE:e2e_two_imports>
  --licence ${CMAKE_SOURCE_DIR}/resources/licence.txt)

# The screenshot tour of scripts/run-installer.sh.
add_executable(e2e_tour e2e/tour.cpp)
target_link_libraries(e2e_tour vorn_e2e_driver)
add_dependencies(e2e_tour vorninstall)

# The timing benchmark (tests/e2e/timing.sh runs it).
add_executable(e2e_timing e2e/timing.cpp)
target_link_libraries(e2e_timing vorn_e2e_driver)
add_dependencies(e2e_timing vorninstall e2e_big_installer)
