# The installer: target `vorninstall`, written as <windows tree>/vornsetup.exe
# (its full path is the cache variable VORN_INSTALLER). A PE32 GUI program
# that carries the demo package as its last resource, RCDATA 4, exports
# MainWndProc, FileHook and DdeCallback undecorated, is signed when
# VORN_SIGN_PKCS12 is set, and is checked after linking: the packer's verify
# must find the package intact behind the code and the other resources, with
# the compiled-in CRC (and osslsigncode's verify the signature intact).
enable_language(RC)

# The wizard: pages, destination folder and picker, progress bars, commands.
add_library(vornwizard STATIC
  wizard/destination_folder.cpp
  wizard/install_sequence.cpp
  wizard/progress_display.cpp
  wizard/wizard_dialog.cpp
  wizard/wizard_pages.cpp)
target_link_libraries(vornwizard PUBLIC vornengine vornshell comdlg32 gdi32 user32)
target_compile_options(vornwizard PRIVATE ${VORN_STUB_COMPILE_OPTIONS})

# An installer that carries one package: the shell, which compiles in that
# package's CRC, the resources with the package, and the wizard. Written as <folder>/vornsetup.exe, its generated resource
# script in <folder>/installer/, signed after linking when a PKCS#12 file is
# given (cmake/Signing.cmake), and checked after that.
#   vorn_add_installer(<target> <folder> <package> <crc header> <target that makes them>
#     [SIGN_PKCS12 <file> [SIGN_PASSWORD_FILE <file>] [SIGN_TIMESTAMP_URL <url>] [SIGN_CAFILE <file>]])
function(vorn_add_installer target folder package crc_header maker)
  cmake_parse_arguments(PARSE_ARGV 5 arg "" "SIGN_PKCS12;SIGN_PASSWORD_FILE;SIGN_TIMESTAMP_URL;SIGN_CAFILE" "")
  set(gen ${folder}/installer)
  # The package resource names the generated package, wherever the tree puts it.
  file(CONFIGURE OUTPUT ${gen}/package_resource.rc
    CONTENT "// Generated: the package, the installer's last resource.\nIDR_PACKAGE RCDATA \"${package}\"\n")

  set(rc ${CMAKE_SOURCE_DIR}/resources/installer.rc)
  add_executable(${target} WIN32
    ${CMAKE_SOURCE_DIR}/shell/entry_point.cpp
    ${CMAKE_SOURCE_DIR}/shell/main_window.cpp
    ${CMAKE_SOURCE_DIR}/shell/startup.cpp
    ${CMAKE_SOURCE_DIR}/shell/winmain.cpp
    ${rc})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME vornsetup
    RUNTIME_OUTPUT_DIRECTORY ${folder}
    LINK_DEPENDS "${CMAKE_SOURCE_DIR}/shell/vornsetup.def;${CMAKE_SOURCE_DIR}/cmake/stub-sections.ld")
  # The shell and the resources include the package's CRC header (the
  # wizard's package check gets the CRC from the shell; the version resource
  # carries it too).
  get_filename_component(crc_dir ${crc_header} DIRECTORY)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/resources ${gen} ${crc_dir})
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VORN_STUB_COMPILE_OPTIONS}>)
  # The link map is for bench/stub_size.sh.
  target_link_options(${target} PRIVATE ${VORN_STUB_LINK_OPTIONS} -Wl,-Map=${folder}/vornsetup.map
    -Wl,--kill-at ${CMAKE_SOURCE_DIR}/shell/vornsetup.def)
  target_link_libraries(${target} PRIVATE vornwizard)
  set_property(SOURCE ${rc} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/resource_ids.h ${CMAKE_SOURCE_DIR}/resources/vorn.ico
    ${CMAKE_SOURCE_DIR}/resources/setup.ico ${CMAKE_SOURCE_DIR}/resources/licence.txt
    ${CMAKE_SOURCE_DIR}/resources/version.rc
    ${gen}/package_resource.rc ${package} ${crc_header})
  add_dependencies(${target} ${maker})

  set(sign "")
  set(check_signature "")
  if(arg_SIGN_PKCS12)
    find_program(VORN_OSSLSIGNCODE osslsigncode REQUIRED)
    find_program(VORN_OPENSSL openssl REQUIRED)
    set(sign COMMAND ${CMAKE_COMMAND} -DOSSLSIGNCODE=${VORN_OSSLSIGNCODE} -DINSTALLER=$<TARGET_FILE:${target}>
      -DPKCS12=${arg_SIGN_PKCS12} -DPASSWORD_FILE=${arg_SIGN_PASSWORD_FILE}
      "-DTIMESTAMP_URL=${arg_SIGN_TIMESTAMP_URL}" "-DDESCRIPTION=Vorn v5.82 32bit Installation"
      -P ${CMAKE_SOURCE_DIR}/cmake/SignInstaller.cmake)
    set(check_signature -DOSSLSIGNCODE=${VORN_OSSLSIGNCODE} -DOPENSSL=${VORN_OPENSSL} -DCAFILE=${arg_SIGN_CAFILE})
    # A new certificate, password or signing script signs anew: the link runs again.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${arg_SIGN_PKCS12} ${arg_SIGN_PASSWORD_FILE}
      ${CMAKE_SOURCE_DIR}/cmake/SignInstaller.cmake)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    ${sign}
    COMMAND ${CMAKE_COMMAND} -DVORNPACK=${VORNPACK} -DINSTALLER=$<TARGET_FILE:${target}>
      -DCRC_HEADER=${crc_header} ${check_signature} -P ${CMAKE_SOURCE_DIR}/cmake/VerifyInstaller.cmake
    VERBATIM)
endfunction()

vorn_add_installer(vorninstall ${CMAKE_CURRENT_BINARY_DIR} ${VORN_PACKAGE} ${VORN_PACKAGE_CRC_HEADER} demo_package
  SIGN_PKCS12 "${VORN_SIGN_PKCS12}" SIGN_PASSWORD_FILE "${VORN_SIGN_PASSWORD_FILE}"
  SIGN_TIMESTAMP_URL "${VORN_SIGN_TIMESTAMP_URL}" SIGN_CAFILE "${VORN_SIGN_CAFILE}")
set(VORN_INSTALLER ${CMAKE_CURRENT_BINARY_DIR}/vornsetup.exe CACHE INTERNAL "")
