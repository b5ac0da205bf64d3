# QX::XercesC: Debian's Xerces-C natively; the static MinGW build from the
# set-up script's cache for Windows.
if(TARGET QX::XercesC)
  return()
endif()
if(WIN32)
  if(NOT EXISTS ${QX_XERCES_ROOT}/lib/libxerces-c.a)
    message(FATAL_ERROR "Xerces-C for MinGW not found in ${QX_XERCES_ROOT}; run scripts/setup.sh")
  endif()
  add_library(QX::XercesC STATIC IMPORTED GLOBAL)
  set_target_properties(QX::XercesC PROPERTIES
    IMPORTED_LOCATION ${QX_XERCES_ROOT}/lib/libxerces-c.a
    INTERFACE_INCLUDE_DIRECTORIES ${QX_XERCES_ROOT}/include
    INTERFACE_COMPILE_DEFINITIONS XERCES_STATIC_LIBRARY
    INTERFACE_LINK_LIBRARIES "advapi32")
else()
  find_package(XercesC REQUIRED)
  add_library(QX::XercesC INTERFACE IMPORTED GLOBAL)
  target_link_libraries(QX::XercesC INTERFACE XercesC::XercesC)
endif()
