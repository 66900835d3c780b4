# The JSON library for the MinGW build: the build machine's header-only copy, exposed through an include
# folder that holds nothing but the library (a link to its header tree in the build folder).

if(NOT TARGET nlohmann_json::nlohmann_json)
  find_path(TRELVANE_NLOHMANN_INCLUDE_DIR nlohmann/json.hpp
            PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TRELVANE_NLOHMANN_INCLUDE_DIR)
    set(nlohmann_json_FOUND FALSE)
    set(nlohmann_json_NOT_FOUND_MESSAGE "nlohmann/json.hpp not found (Debian: nlohmann-json3-dev)")
    return()
  endif()
  set(_trelvane_json_include "${CMAKE_BINARY_DIR}/mingw-w64-include")
  file(MAKE_DIRECTORY "${_trelvane_json_include}")
  file(CREATE_LINK "${TRELVANE_NLOHMANN_INCLUDE_DIR}/nlohmann" "${_trelvane_json_include}/nlohmann"
       SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES "${_trelvane_json_include}")
  unset(_trelvane_json_include)
endif()
