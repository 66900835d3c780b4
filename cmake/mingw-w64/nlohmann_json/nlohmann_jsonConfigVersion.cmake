# The version of the build machine's JSON library, read from its headers (3.11 keeps it in
# detail/abi_macros.hpp, older releases in json.hpp).

set(PACKAGE_VERSION "0")
foreach(_trelvane_file /usr/include/nlohmann/detail/abi_macros.hpp /usr/include/nlohmann/json.hpp
                       /usr/local/include/nlohmann/detail/abi_macros.hpp /usr/local/include/nlohmann/json.hpp)
  if(PACKAGE_VERSION STREQUAL "0" AND EXISTS "${_trelvane_file}")
    set(_trelvane_parts "")
    foreach(_trelvane_part MAJOR MINOR PATCH)
      file(STRINGS "${_trelvane_file}" _trelvane_line REGEX "#define NLOHMANN_JSON_VERSION_${_trelvane_part} +[0-9]+")
      string(REGEX MATCH "[0-9]+" _trelvane_number "${_trelvane_line}")
      list(APPEND _trelvane_parts "${_trelvane_number}")
    endforeach()
    if(NOT "" IN_LIST _trelvane_parts)
      list(JOIN _trelvane_parts "." PACKAGE_VERSION)
    endif()
  endif()
endforeach()

string(REGEX MATCH "^[0-9]+" _trelvane_major "${PACKAGE_VERSION}")
if(PACKAGE_VERSION VERSION_LESS PACKAGE_FIND_VERSION OR NOT _trelvane_major STREQUAL PACKAGE_FIND_VERSION_MAJOR)
  set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
  if(PACKAGE_FIND_VERSION STREQUAL PACKAGE_VERSION)
    set(PACKAGE_VERSION_EXACT TRUE)
  endif()
endif()
