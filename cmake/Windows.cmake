# Windows tree (mingw-w64 i686, or its x86_64 twin): the core for Windows,
# the demo client, the package, the installer and the tests that run under
# Wine (32-bit Wine for the i686 tree, 64-bit Wine for the twin).
if(NOT VORNPACK)
  message(FATAL_ERROR "VORNPACK must name the native packer (configure the native tree instead)")
endif()
if(NOT VORN_WINE_DIR)
  set(VORN_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
endif()
enable_testing()
# The product's tree, the i686 one: its stub, payload and installer are what
# a maintainer's vornpack.exe makes and ships in either tree.
if(NOT VORN_PRODUCT_TREE)
  set(VORN_PRODUCT_TREE ${CMAKE_BINARY_DIR})
endif()
set(VORN_PRODUCT_STUB ${VORN_PRODUCT_TREE}/vornstub.exe)
# The twin's tests carry the suffix _win64; both trees' tests run through the
# Wine runner with the tree's own prefix and loader.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VORN_WINE_ARCH win64)
  set(VORN_TEST_SUFFIX _win64)
else()
  set(VORN_WINE_ARCH win32)
  set(VORN_TEST_SUFFIX "")
endif()
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

# Everything the installer links is compiled small, without exceptions or
# RTTI, one section a function so that the link drops what the installer
# never calls.
set(VORN_STUB_COMPILE_OPTIONS -Oz -fno-exceptions -fno-rtti -ffunction-sections -fno-ident)
# The i686 stub leaves unwind tables out (nothing unwinds there). The x86_64
# twin keeps them (.pdata and .xdata): x64 Windows dispatches a fault inside
# a window procedure or hook, and walks a crash stack, only through them, and
# the twin is there to run the product's code as 64-bit code must run.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND VORN_STUB_COMPILE_OPTIONS -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
# ... and linked stripped, with its own entry point instead of the runtime's
# start-up files, keeping only the sections something refers to, without a
# time stamp (the same checkout gives the same bytes). Without the start-up
# files nothing would fix up a library's variable reached without an import
# declaration (the C runtime's stream table, say): such a reference is a link
# error, never a crash at run time.
include(${CMAKE_SOURCE_DIR}/cmake/StubLinkerScript.cmake)
set(VORN_STUB_LINKER_SCRIPT ${CMAKE_BINARY_DIR}/vornstub.ld)
vorn_stub_linker_script(${VORN_STUB_LINKER_SCRIPT})
set(VORN_STUB_LINK_OPTIONS -s -nostartfiles -Wl,--gc-sections
  -Wl,-T,${VORN_STUB_LINKER_SCRIPT} -Wl,--no-insert-timestamp
  -Wl,--disable-auto-import)

# Windows-side libraries of the installer, each used by the installer and by
# the Wine tests of its subsystem.
add_library(vornwin STATIC common/process_handles.cpp common/raw_data.cpp common/system_library.cpp)
target_link_libraries(vornwin PUBLIC vorncore)

# Shell side: the Program Manager group through DDE and the completion actions
# (the shell library is loaded at the launch, not imported).
add_library(vornshell STATIC shellint/program_group.cpp shell/completion_actions.cpp)
target_link_libraries(vornshell PUBLIC vornwin user32 advapi32 kernel32)

# The extraction engine: the package check, pump, existing files and
# rollback. The package's expected CRC is an argument of the check: each
# installer reads it from the CRC slot that the packer filled in.
add_library(vornengine STATIC
  package/existing_files.cpp
  package/extract_member.cpp
  package/extraction_pump.cpp
  package/extraction_state.cpp
  package/file_ops.cpp
  package/member_path.cpp
  package/open_package.cpp
  package/temp_file.cpp)
target_link_libraries(vornengine PUBLIC vornwin)

foreach(library vorncore vornwin vornshell vornengine)
  target_compile_options(${library} PRIVATE ${VORN_STUB_COMPILE_OPTIONS})
endforeach()
# The decoder is where an installation spends its time between the pump's
# waits: it is built for speed, at a cost of some hundred bytes.
set_source_files_properties(decoder/adaptive_tree.cpp decoder/member_decoder.cpp
  TARGET_DIRECTORY vorncore PROPERTIES COMPILE_OPTIONS -O2)

add_subdirectory(payload)
include(${CMAKE_SOURCE_DIR}/cmake/Installer.cmake)
# vornpack.exe: the packer as a console program for maintainers on Windows
# (the build itself packs with the native packer).
add_subdirectory(packer)
add_subdirectory(tests)
add_subdirectory(bench)
include(${CMAKE_SOURCE_DIR}/cmake/WindowsDistribution.cmake)
