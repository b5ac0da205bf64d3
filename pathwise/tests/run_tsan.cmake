# Configures, builds and runs tests/tsan in BINARY_DIR (cmake -P).
# Arguments: -DSOURCE_DIR=<pathwise/tests/tsan> -DBINARY_DIR=<folder> -DGENERATOR=<generator>
foreach(step
    "${CMAKE_COMMAND};-S;${SOURCE_DIR};-B;${BINARY_DIR};-G;${GENERATOR};-DCMAKE_BUILD_TYPE=RelWithDebInfo"
    "${CMAKE_COMMAND};--build;${BINARY_DIR};-j2"
    "${BINARY_DIR}/pathwise_tsan_lock_tests")
  execute_process(COMMAND ${step} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${step} failed (${result}):\n${output}")
  endif()
endforeach()
message(STATUS "${output}")
