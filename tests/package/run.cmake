# run(command...): runs a command, failing the test with its output when it fails.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " line "${ARGN}")
    message(FATAL_ERROR "${line}\nfailed (${status}):\n${out}\n${err}")
  endif()
endfunction()

# expect_same_file(a b): the two files hold the same bytes.
function(expect_same_file a b)
  file(SHA256 ${a} left)
  file(SHA256 ${b} right)
  if(NOT left STREQUAL right)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()
