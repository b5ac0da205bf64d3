# Builds the concurrency test of the plug-in in a ThreadSanitizer build of
# the tree in BINARY_DIR and runs it (cmake -P).
# Arguments: -DSOURCE_DIR=<tree> -DBINARY_DIR=<folder> -DGENERATOR=<generator>
foreach(step
    "${CMAKE_COMMAND};-S;${SOURCE_DIR};-B;${BINARY_DIR};-G;${GENERATOR};-DCMAKE_BUILD_TYPE=RelWithDebInfo;-DQX_SANITIZE=thread;-DQX_SKIP=pathwise\\;tools/dirscout\\;examples"
    "${CMAKE_COMMAND};--build;${BINARY_DIR};--target;gssp2qxnego_concurrency_tests;-j2"
    "${BINARY_DIR}/gssp2qxnego/bin/gssp2qxnego_concurrency_tests")
  execute_process(COMMAND ${step} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${step} failed (${result}):\n${output}")
  endif()
endforeach()
message(STATUS "${output}")
