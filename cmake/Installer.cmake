# The installer: target `vorninstall`, written as <windows tree>/vornsetup.exe
# (its full path is the cache variable VORN_INSTALLER). A PE32 GUI program
# that carries the demo package as its last resource, RCDATA 4, exports
# MainWndProc, FileHook and DdeCallback undecorated, and is checked after
# linking: the packer's verify must find the package intact behind the code
# and the other resources, with the compiled-in CRC.
enable_language(RC)

# The wizard: pages, destination folder and picker, progress bars, commands.
add_library(vornwizard STATIC
  wizard/destination_folder.cpp
  wizard/install_sequence.cpp
  wizard/progress_display.cpp
  wizard/wizard_dialog.cpp
  wizard/wizard_pages.cpp)
target_link_libraries(vornwizard PUBLIC vornengine vornshell comdlg32 gdi32 user32)
target_compile_options(vornwizard PRIVATE -Os -fno-exceptions -fno-rtti)

# The package resource names the generated package, wherever the tree puts it.
set(installer_gen ${CMAKE_CURRENT_BINARY_DIR}/installer)
file(CONFIGURE OUTPUT ${installer_gen}/package_resource.rc
  CONTENT "// Generated: the package, the installer's last resource.\nIDR_PACKAGE RCDATA \"${VORN_PACKAGE}\"\n")

add_executable(vorninstall WIN32
  shell/main_window.cpp
  shell/startup.cpp
  shell/winmain.cpp
  resources/installer.rc)
set_target_properties(vorninstall PROPERTIES
  OUTPUT_NAME vornsetup
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  LINK_DEPENDS ${CMAKE_SOURCE_DIR}/shell/vornsetup.def)
target_include_directories(vorninstall PRIVATE ${CMAKE_SOURCE_DIR}/resources ${installer_gen})
target_compile_options(vorninstall PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Os -fno-exceptions -fno-rtti>)
# A small stub, byte-identical from build to build of the same checkout.
target_link_options(vorninstall PRIVATE -s -Wl,--no-insert-timestamp -Wl,--kill-at
  ${CMAKE_SOURCE_DIR}/shell/vornsetup.def)
target_link_libraries(vorninstall PRIVATE vornwizard vornshell vornengine)
set_source_files_properties(resources/installer.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/resource_ids.h;${CMAKE_SOURCE_DIR}/resources/vorn.ico;${CMAKE_SOURCE_DIR}/resources/setup.ico;${CMAKE_SOURCE_DIR}/resources/licence.txt;${installer_gen}/package_resource.rc;${VORN_PACKAGE}")
add_dependencies(vorninstall demo_package)

add_custom_command(TARGET vorninstall POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DVORNPACK=${VORNPACK} -DINSTALLER=$<TARGET_FILE:vorninstall>
    -DCRC_HEADER=${VORN_PACKAGE_CRC_HEADER} -P ${CMAKE_SOURCE_DIR}/cmake/VerifyInstaller.cmake
  VERBATIM)
set(VORN_INSTALLER ${CMAKE_CURRENT_BINARY_DIR}/vornsetup.exe CACHE INTERNAL "")
