# Finds FreeTDS's Client-Library (libct). FreeTDS ships no CMake package.
#
# Defines FreeTDS_FOUND, FreeTDS_INCLUDE_DIR, FreeTDS_CT_LIBRARY, FreeTDS_VERSION
# and the imported target FreeTDS::ct.

find_path(FreeTDS_INCLUDE_DIR NAMES ctpublic.h PATH_SUFFIXES freetds)
find_library(FreeTDS_CT_LIBRARY NAMES ct)

find_program(FreeTDS_TSQL_EXECUTABLE NAMES tsql)
if(FreeTDS_TSQL_EXECUTABLE)
  execute_process(COMMAND ${FreeTDS_TSQL_EXECUTABLE} -C OUTPUT_VARIABLE _tsql_out ERROR_QUIET)
  string(REGEX MATCH "Version: freetds v([0-9.]+)" _match "${_tsql_out}")
  set(FreeTDS_VERSION "${CMAKE_MATCH_1}")
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(FreeTDS
  REQUIRED_VARS FreeTDS_CT_LIBRARY FreeTDS_INCLUDE_DIR
  VERSION_VAR FreeTDS_VERSION)

if(FreeTDS_FOUND AND NOT TARGET FreeTDS::ct)
  add_library(FreeTDS::ct UNKNOWN IMPORTED)
  set_target_properties(FreeTDS::ct PROPERTIES
    IMPORTED_LOCATION "${FreeTDS_CT_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${FreeTDS_INCLUDE_DIR}")
endif()
mark_as_advanced(FreeTDS_INCLUDE_DIR FreeTDS_CT_LIBRARY FreeTDS_TSQL_EXECUTABLE)
