# Runs make_sample into a scratch folder and fails unless every file it writes is byte for byte
# the one in examples/: the sample model there is what the program makes, not a stale copy.
#
#   cmake -DMAKE_SAMPLE=PROGRAM -DEXAMPLES=DIR -DSCRATCH=DIR -P check_sample.cmake
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND "${MAKE_SAMPLE}" "${SCRATCH}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_sample failed: ${status}")
endif()

file(GLOB written RELATIVE "${SCRATCH}" "${SCRATCH}/*")
if(NOT written)
  message(FATAL_ERROR "make_sample wrote nothing")
endif()
foreach(name IN LISTS written)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SCRATCH}/${name}"
                          "${EXAMPLES}/${name}" RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "examples/${name} is not what make_sample writes; "
                        "run ninja -C build sample-files and commit the result")
  endif()
endforeach()
