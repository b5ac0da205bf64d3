# qx_add_export_test(NAME TARGET NAMES...): a test that TARGET's binary
# exports every name (nm -D natively, objdump -p on Windows builds).
function(qx_add_export_test name target)
  if(WIN32)
    set(tool ${QX_OBJDUMP})
  else()
    set(tool nm)
  endif()
  list(JOIN ARGN "," names)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -DTOOL=${tool} -DFILE=$<TARGET_FILE:${target}> -DNAMES=${names}
            -P ${PROJECT_SOURCE_DIR}/cmake/check_exports.cmake)
endfunction()
