# Compiled configuration files for tests.
#
#   qx_config_fixture(<var> NAME <name> LIB <lib.xml> USER <user.xml> COMMITTED <name.bin>)
#
# Natively the pair is compiled by the real qxgssconfig at build time into
# the build folder (target qx_fixture_<name>), and a test
# (<name>.fixture_is_current) fails when the committed copy differs from what
# the compiler makes of the pair today. The Windows x86-64 build, which has
# no compiler, uses the committed copy. <var> receives the path the tests
# read.
function(qx_config_fixture var)
  cmake_parse_arguments(F "" "NAME;LIB;USER;COMMITTED" "" ${ARGN})
  set(_schema ${PROJECT_SOURCE_DIR}/config/QxgssConfigFile.xsd)
  set(_script ${PROJECT_SOURCE_DIR}/framework/tests/compile_fixture.sh)
  if(TARGET qxgssconfig AND NOT WIN32)
    set(_bin ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}.bin)
    add_custom_command(OUTPUT ${_bin}
      COMMAND ${_script} $<TARGET_FILE:qxgssconfig> ${_schema} ${F_LIB} ${F_USER} ${_bin}
      DEPENDS qxgssconfig ${F_LIB} ${F_USER} ${_schema} ${_script}
      COMMENT "Compiling the ${F_NAME} fixture configuration")
    add_custom_target(qx_fixture_${F_NAME} ALL DEPENDS ${_bin})
    add_test(NAME ${F_NAME}.fixture_is_current
      COMMAND ${_script} --check $<TARGET_FILE:qxgssconfig> ${_schema} ${F_LIB} ${F_USER} ${F_COMMITTED})
  else()
    set(_bin ${F_COMMITTED})
  endif()
  set(${var} ${_bin} PARENT_SCOPE)
endfunction()
