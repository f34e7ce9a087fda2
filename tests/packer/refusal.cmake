# The refusal every vornpack command gives for bad input: exit 1 and one
# line "vornpack: <file>: <reason>" that holds the expected text.
#   expect_refusal(<case> <expected text> <exit status> <standard error>)
function(expect_refusal case expected result error)
  string(FIND "${error}" "${expected}" found)
  if(NOT result EQUAL 1 OR NOT error MATCHES "^vornpack: [^\n]*\n$" OR found EQUAL -1)
    message(FATAL_ERROR "${case}: exit ${result}, not 1 with one line saying \"${expected}\":\n${error}")
  endif()
endfunction()
