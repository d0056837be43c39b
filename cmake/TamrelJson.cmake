# nlohmann/json for reading labs. It is header-only, so the same headers serve every target
# system: where the package's CMake files are not found (a cross build for Windows or the web
# looks only in its own system root), its folder alone is taken from the build machine's
# include path, without the rest of that path.
find_package(nlohmann_json 3.9 QUIET)
if(NOT nlohmann_json_FOUND)
  find_path(TAMREL_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include /usr/local/include
            NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TAMREL_JSON_INCLUDE)
    message(FATAL_ERROR "Labs need nlohmann/json 3.9 or newer (Debian: nlohmann-json3-dev; "
      "tools/install-deps.sh --list run)")
  endif()
  set(view ${PROJECT_BINARY_DIR}/layers/nlohmann_json)
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${TAMREL_JSON_INCLUDE}/nlohmann ${view}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${view})
endif()
