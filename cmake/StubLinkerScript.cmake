# The installer stub's linker script: the toolchain's own default script,
# read from the linker at configure time, with three changes.
#  - The unwind tables that the runtime's 64-bit division helpers bring along
#    go, since nothing in the installer unwinds (no exceptions, and without
#    the runtime's start-up files nobody registers them): one section, and
#    its file alignment, less.
#  - The initialised data (a few dozen bytes) lies at the end of the import
#    section, which is writable as it is: one section and its file
#    alignment less, and read-only data stays read-only.
#  - The resources come last, behind the relocations, in memory and in the
#    file: the packer then writes the package into the stub by keeping every
#    byte ahead of the package slot and growing only this section (the
#    toolchain's script would put the relocations behind it).
# A toolchain whose script does not have these pieces stops the configure.
#   vorn_stub_linker_script(<output file>)
function(vorn_stub_linker_script output)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -Wl,--verbose -nostdlib -o /dev/null
    OUTPUT_VARIABLE verbose ERROR_QUIET)
  string(FIND "${verbose}" "==================================================" first)
  string(FIND "${verbose}" "==================================================" last REVERSE)
  if(first EQUAL -1 OR last LESS_EQUAL first)
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} -Wl,--verbose shows no linker script")
  endif()
  math(EXPR from "${first} + 51")
  math(EXPR length "${last} - ${from}")
  string(SUBSTRING "${verbose}" ${from} ${length} script)

  set(block "BLOCK\\(__section_alignment__\\)[^{]*{[^}]*}\n")
  foreach(piece "\\.eh_frame ${block}" "\\.data ${block}" "\\.reloc ${block}" "\\.rsrc ${block}"
      "KEEP \\(SORT\\(\\*\\)\\(\\.idata\\$7\\)\\)\n")
    if(NOT script MATCHES "${piece}")
      message(FATAL_ERROR "the linker's default script has no ${piece}")
    endif()
  endforeach()

  string(REGEX REPLACE "\\.eh_frame ${block}" "/DISCARD/ : { *(.eh_frame*) }\n" script "${script}")
  string(REGEX MATCH "\\.data BLOCK\\(__section_alignment__\\)[^{]*{([^}]*)}\n" data "${script}")
  set(data_inputs "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "  \\.data ${block}" "" script "${script}")
  string(REGEX REPLACE "(KEEP \\(SORT\\(\\*\\)\\(\\.idata\\$7\\)\\)\n)" "\\1    . = ALIGN(4);${data_inputs}"
    script "${script}")
  string(REGEX MATCH "  \\.reloc ${block}" reloc "${script}")
  string(REGEX MATCH "  \\.rsrc ${block}" rsrc "${script}")
  string(REPLACE "${rsrc}${reloc}" "${reloc}${rsrc}" moved "${script}")
  if(moved STREQUAL script)
    message(FATAL_ERROR "the linker's default script does not put the resources right before the relocations")
  endif()
  file(WRITE ${output}.new "/* Made by cmake/StubLinkerScript.cmake from the linker's default script. */\n${moved}")
  configure_file(${output}.new ${output} COPYONLY)
endfunction()
