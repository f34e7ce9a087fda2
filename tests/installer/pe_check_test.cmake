# The built installer's file, read natively with the toolchain's objdump (no
# Wine needed, so it runs on every machine): a PE32 for i386 (PE32+ for
# x86-64 in the 64-bit twin), the Windows GUI subsystem, imports from the
# system's libraries and msvcrt only, and exactly the three exports, named
# without decoration.
#   cmake -DOBJDUMP=... -DINSTALLER=... -DARCH=i386|x86-64 -P pe_check_test.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${OBJDUMP} -p ${INSTALLER} RESULT_VARIABLE result
  OUTPUT_VARIABLE headers ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${INSTALLER}: ${error}")
endif()

set(failures "")
function(expect what regex)
  if(NOT headers MATCHES "${regex}")
    list(APPEND failures "${what}")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()

if(ARCH STREQUAL i386)
  expect("file format pei-i386" "file format pei-i386\n")
  expect("PE32 optional header (magic 010b)" "\nMagic[ \t]+010b[ \t]+\\(PE32\\)")
else()
  expect("file format pei-x86-64" "file format pei-x86-64\n")
  expect("PE32+ optional header (magic 020b)" "\nMagic[ \t]+020b[ \t]+\\(PE32\\+\\)")
endif()
expect("Windows GUI subsystem" "\nSubsystem[ \t]+00000002[ \t]+\\(Windows GUI\\)")

# Imported libraries: each "DLL Name:" line.
set(system_libraries advapi32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  list(APPEND failures "an import table")
endif()
set(libraries "")
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" library "${line}")
  string(TOLOWER "${library}" library)
  list(APPEND libraries ${library})
  if(NOT library IN_LIST system_libraries)
    list(APPEND failures "no import from ${library}")
  endif()
endforeach()

# Exported names: the rows of the name pointer table, "[   n] Name".
string(FIND "${headers}" "[Ordinal/Name Pointer] Table" at)
set(exports "")
if(at GREATER -1)
  string(SUBSTRING "${headers}" ${at} -1 table)
  string(REPLACE "\n" ";" lines "${table}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]+\\[ *[0-9]+\\] ([^ \t]+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    endif()
  endforeach()
endif()
list(SORT exports)
list(JOIN exports ", " exported)
if(NOT exported STREQUAL "DdeCallback, FileHook, MainWndProc")
  list(APPEND failures "exactly the exports DdeCallback, FileHook, MainWndProc (found: ${exported})")
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "${INSTALLER} lacks:\n  ${text}")
endif()
list(JOIN libraries ", " imported)
message(STATUS "${INSTALLER}: ${ARCH} GUI program; imports ${imported}; exports ${exported}")
