# utfcpp is header-only; its folder holds nothing but its own headers, so the
# cross builds may use it too.
if(NOT QX_UTFCPP_INCLUDE_DIR)
  find_path(QX_UTFCPP_INCLUDE_DIR utf8.h PATHS /usr/include/utf8cpp NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
endif()
if(NOT QX_UTFCPP_INCLUDE_DIR)
  message(FATAL_ERROR "utfcpp not found (libutfcpp-dev); run scripts/setup.sh")
endif()
