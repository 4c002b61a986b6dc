# What the Windows build takes from the Debian host: the resource compiler, nlohmann-json's
# headers (header only, so the host's copy serves any target) and GoogleTest built from
# Debian's sources with the cross compiler.
enable_language(RC)

# Only nlohmann/ is made visible: the host's /usr/include as a whole would shadow mingw's C
# library headers.
find_path(nlohmann_json_root nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)
set(host_headers ${PROJECT_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
file(CREATE_LINK ${nlohmann_json_root}/nlohmann ${host_headers}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${host_headers})

set(googletest_sources /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian: googletest)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
# It defines the GTest:: targets the tests link.
add_subdirectory(${googletest_sources} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
