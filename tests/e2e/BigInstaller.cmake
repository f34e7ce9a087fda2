# A second installer for the end-to-end tests and the timing benchmark, built
# from the installer's own sources and resources but carrying a package of
# about 1 MB, so that an extraction lasts long enough to be interrupted. The
# engine, the wizard and the installer targets are cloned from their
# properties; only the package and its CRC header differ.
#   e2e_big_installer -> <tests>/e2e-big/vornsetup.exe, payload in e2e-big/payload
set(E2E_BIG_DIR ${CMAKE_CURRENT_BINARY_DIR}/e2e-big)
set(E2E_BIG_PAYLOAD ${E2E_BIG_DIR}/payload)
add_custom_command(
  OUTPUT ${E2E_BIG_DIR}/package.bin ${E2E_BIG_DIR}/package_crc.h
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${VORN_PAYLOAD_DIR} -DTARGET=${E2E_BIG_PAYLOAD}
    -P ${CMAKE_CURRENT_SOURCE_DIR}/e2e/big_payload.cmake
  COMMAND ${VORNPACK} build ${E2E_BIG_PAYLOAD} -o ${E2E_BIG_DIR}/package.bin
    --header ${E2E_BIG_DIR}/package_crc.h
  DEPENDS demo_package ${CMAKE_CURRENT_SOURCE_DIR}/e2e/big_payload.cmake ${VORNPACK}
  COMMENT "Packing the large test payload")
add_custom_target(e2e_big_package DEPENDS ${E2E_BIG_DIR}/package.bin)
file(CONFIGURE OUTPUT ${E2E_BIG_DIR}/gen/package_resource.rc
  CONTENT "// Generated: the large test package, the installer's last resource.\nIDR_PACKAGE RCDATA \"${E2E_BIG_DIR}/package.bin\"\n")

# Sources of a target as absolute paths (they are given relative to the root).
function(e2e_absolute_sources target out)
  get_target_property(sources ${target} SOURCES)
  set(result "")
  foreach(s IN LISTS sources)
    if(IS_ABSOLUTE ${s})
      list(APPEND result ${s})
    else()
      list(APPEND result ${CMAKE_SOURCE_DIR}/${s})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Copies the compile options, include folders and link lists, with the
# libraries renamed by the replacement list (old new old new ...).
function(e2e_copy_usage from to)
  set(renames ${ARGN})
  foreach(p COMPILE_OPTIONS INCLUDE_DIRECTORIES LINK_OPTIONS)
    get_target_property(v ${from} ${p})
    if(v)
      set_property(TARGET ${to} PROPERTY ${p} ${v})
    endif()
  endforeach()
  get_target_property(libs ${from} LINK_LIBRARIES)
  if(libs)
    while(renames)
      list(POP_FRONT renames old new)
      list(TRANSFORM libs REPLACE "^${old}$" ${new})
    endwhile()
    target_link_libraries(${to} PUBLIC ${libs})
  endif()
endfunction()

e2e_absolute_sources(vornengine engine_sources)
add_library(e2e_big_engine STATIC ${engine_sources})
e2e_copy_usage(vornengine e2e_big_engine)
# The generated CRC header of the large package comes first.
target_include_directories(e2e_big_engine BEFORE PRIVATE ${E2E_BIG_DIR})
add_dependencies(e2e_big_engine e2e_big_package)

e2e_absolute_sources(vornwizard wizard_sources)
add_library(e2e_big_wizard STATIC ${wizard_sources})
e2e_copy_usage(vornwizard e2e_big_wizard vornengine e2e_big_engine)

e2e_absolute_sources(vorninstall installer_sources)
add_executable(e2e_big_installer WIN32 ${installer_sources})
set_target_properties(e2e_big_installer PROPERTIES OUTPUT_NAME vornsetup
  RUNTIME_OUTPUT_DIRECTORY ${E2E_BIG_DIR})
e2e_copy_usage(vorninstall e2e_big_installer vornengine e2e_big_engine vornwizard e2e_big_wizard)
# The generated resource script of the large package comes first.
target_include_directories(e2e_big_installer BEFORE PRIVATE ${E2E_BIG_DIR}/gen)
get_source_file_property(rc_depends ${CMAKE_SOURCE_DIR}/resources/installer.rc
  DIRECTORY ${CMAKE_SOURCE_DIR} OBJECT_DEPENDS)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/installer.rc TARGET_DIRECTORY e2e_big_installer
  PROPERTIES OBJECT_DEPENDS "${rc_depends};${E2E_BIG_DIR}/package.bin")
add_dependencies(e2e_big_installer e2e_big_package)
add_custom_command(TARGET e2e_big_installer POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DVORNPACK=${VORNPACK} -DINSTALLER=$<TARGET_FILE:e2e_big_installer>
    -DCRC_HEADER=${E2E_BIG_DIR}/package_crc.h -P ${CMAKE_SOURCE_DIR}/cmake/VerifyInstaller.cmake
  VERBATIM)
