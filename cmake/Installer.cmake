# The installer stub and the installers made from it.
#
# The stub, target `vornstub`, written as <windows tree>/vornstub.exe (its
# full path is the cache variable VORN_STUB): the installer's code and
# resources linked once per tree, the same for every package. Its package
# slot, raw-data resource 4, is empty; its CRC slot, raw-data resource 5,
# holds 0, and its version information carries PackageCRC32 "00000000". The
# resource section is the last in the image (cmake/StubLinkerScript.cmake), so
# that `vornpack installer` can write a package into it by keeping every byte
# ahead of the slot and moving only what lies behind.
#
# Every installer is made from the stub by `vornpack installer` from a payload
# folder (no compile: changing a payload file only packs again), signed when
# asked, and checked: the packer's verify must find the package intact behind
# the code and the other resources, with the CRC the installer carries in its
# CRC slot and its version information (and osslsigncode's verify the
# signature intact). The demo installer is target `vorninstall`, written as
# <windows tree>/vornsetup.exe (the cache variable VORN_INSTALLER).
enable_language(RC)

# The wizard: pages, destination folder and picker, progress bars, commands
# (the common dialogs are loaded at the first Browse, not imported).
add_library(vornwizard STATIC
  wizard/destination_folder.cpp
  wizard/install_sequence.cpp
  wizard/progress_display.cpp
  wizard/wizard_dialog.cpp
  wizard/wizard_pages.cpp)
target_link_libraries(vornwizard PUBLIC vornengine vornshell gdi32 user32)
target_compile_options(vornwizard PRIVATE ${VORN_STUB_COMPILE_OPTIONS})

set(rc ${CMAKE_SOURCE_DIR}/resources/installer.rc)
add_executable(vornstub WIN32
  shell/entry_point.cpp
  shell/main_window.cpp
  shell/startup.cpp
  shell/winmain.cpp
  ${rc})
set_target_properties(vornstub PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LINK_DEPENDS "${CMAKE_SOURCE_DIR}/shell/vornsetup.def;${VORN_STUB_LINKER_SCRIPT}")
target_include_directories(vornstub PRIVATE ${CMAKE_SOURCE_DIR}/resources)
target_compile_options(vornstub PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VORN_STUB_COMPILE_OPTIONS}>)
# The link map is for bench/stub_size.sh.
target_link_options(vornstub PRIVATE ${VORN_STUB_LINK_OPTIONS} -Wl,-Map=${CMAKE_BINARY_DIR}/vornstub.map
  -Wl,--kill-at ${CMAKE_SOURCE_DIR}/shell/vornsetup.def)
target_link_libraries(vornstub PRIVATE vornwizard)
set_property(SOURCE ${rc} TARGET_DIRECTORY vornstub APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/resources/resource_ids.h ${CMAKE_SOURCE_DIR}/resources/vorn.ico
  ${CMAKE_SOURCE_DIR}/resources/setup.ico ${CMAKE_SOURCE_DIR}/resources/licence.txt
  ${CMAKE_SOURCE_DIR}/resources/version.rc ${CMAKE_SOURCE_DIR}/resources/installer.manifest)
set(VORN_STUB ${CMAKE_BINARY_DIR}/vornstub.exe CACHE INTERNAL "")

# An installer made from the stub: <output> packed from the payload folder
# <payload>, which the files <payload stamps> (made by the targets
# <payload targets>) say is complete; signed after packing when a PKCS#12
# file is given (cmake/Signing.cmake), and checked after that.
#   vorn_add_installer(<target> <output> <payload> PAYLOAD_STAMPS <file>... PAYLOAD_TARGETS <target>...
#     [SIGN_PKCS12 <file> [SIGN_PASSWORD_FILE <file>] [SIGN_TIMESTAMP_URL <url>] [SIGN_CAFILE <file>]])
function(vorn_add_installer target output payload)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "SIGN_PKCS12;SIGN_PASSWORD_FILE;SIGN_TIMESTAMP_URL;SIGN_CAFILE"
    "PAYLOAD_STAMPS;PAYLOAD_TARGETS")
  set(sign "")
  set(sign_depends "")
  set(check_signature "")
  if(arg_SIGN_PKCS12)
    find_program(VORN_OSSLSIGNCODE osslsigncode REQUIRED)
    find_program(VORN_OPENSSL openssl REQUIRED)
    set(sign COMMAND ${CMAKE_COMMAND} -DOSSLSIGNCODE=${VORN_OSSLSIGNCODE} -DINSTALLER=${output}
      -DPKCS12=${arg_SIGN_PKCS12} -DPASSWORD_FILE=${arg_SIGN_PASSWORD_FILE}
      "-DTIMESTAMP_URL=${arg_SIGN_TIMESTAMP_URL}" "-DDESCRIPTION=Vorn v5.82 32bit Installation"
      -P ${CMAKE_SOURCE_DIR}/cmake/SignInstaller.cmake)
    set(check_signature -DOSSLSIGNCODE=${VORN_OSSLSIGNCODE} -DOPENSSL=${VORN_OPENSSL} -DCAFILE=${arg_SIGN_CAFILE})
    # A new certificate, password or signing script signs anew.
    set(sign_depends ${arg_SIGN_PKCS12} ${arg_SIGN_PASSWORD_FILE} ${CMAKE_SOURCE_DIR}/cmake/SignInstaller.cmake)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${VORNPACK} installer ${payload} -o ${output} --stub ${VORN_STUB}
    ${sign}
    COMMAND ${CMAKE_COMMAND} -DVORNPACK=${VORNPACK} -DINSTALLER=${output} ${check_signature}
      -P ${CMAKE_SOURCE_DIR}/cmake/VerifyInstaller.cmake
    DEPENDS vornstub ${VORN_STUB} ${VORNPACK} ${arg_PAYLOAD_STAMPS} ${sign_depends}
      ${CMAKE_SOURCE_DIR}/cmake/VerifyInstaller.cmake
    COMMENT "Making ${output} from the stub"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
  if(arg_PAYLOAD_TARGETS)
    add_dependencies(${target} ${arg_PAYLOAD_TARGETS})
  endif()
endfunction()

set(VORN_INSTALLER ${CMAKE_BINARY_DIR}/vornsetup.exe CACHE INTERNAL "")
vorn_add_installer(vorninstall ${VORN_INSTALLER} ${VORN_PAYLOAD_DIR}
  PAYLOAD_STAMPS ${VORN_PAYLOAD_STAMP} PAYLOAD_TARGETS demo_payload
  SIGN_PKCS12 "${VORN_SIGN_PKCS12}" SIGN_PASSWORD_FILE "${VORN_SIGN_PASSWORD_FILE}"
  SIGN_TIMESTAMP_URL "${VORN_SIGN_TIMESTAMP_URL}" SIGN_CAFILE "${VORN_SIGN_CAFILE}")
