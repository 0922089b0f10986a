# kelvane_header_only_deps: CLI11, nlohmann-json and toml11, header-only
# libraries of the distribution (Debian: libcli11-dev, nlohmann-json3-dev,
# libtoml11-dev). A native build finds them with find_package. A cross build
# (MinGW-w64), and a build with KELVANE_STAGE_HEADER_ONLY_DEPS on (the Linux
# tarball's, in a Debian 11 root that lacks them), gets a copy of just their
# headers from KELVANE_HEADER_ONLY_SOURCE in a folder of its build tree, so
# that the compiler never sees the rest of the other machine's /usr/include.
if(TARGET kelvane_header_only_deps)
  return()
endif()
add_library(kelvane_header_only_deps INTERFACE)
option(KELVANE_STAGE_HEADER_ONLY_DEPS
  "Copy the headers of CLI11, nlohmann-json and toml11 from KELVANE_HEADER_ONLY_SOURCE" ${CMAKE_CROSSCOMPILING})
if(KELVANE_STAGE_HEADER_ONLY_DEPS)
  set(KELVANE_HEADER_ONLY_SOURCE /usr/include CACHE PATH
    "Where the headers of CLI11, nlohmann-json and toml11 are copied from")
  set(_staged ${PROJECT_BINARY_DIR}/staged-include)
  foreach(_entry CLI nlohmann toml toml.hpp)
    if(NOT EXISTS ${KELVANE_HEADER_ONLY_SOURCE}/${_entry})
      message(FATAL_ERROR "${KELVANE_HEADER_ONLY_SOURCE}/${_entry} is missing: install libcli11-dev, "
                          "nlohmann-json3-dev and libtoml11-dev (scripts/setup.sh does)")
    endif()
    file(COPY ${KELVANE_HEADER_ONLY_SOURCE}/${_entry} DESTINATION ${_staged})
  endforeach()
  target_include_directories(kelvane_header_only_deps SYSTEM INTERFACE ${_staged})
else()
  find_package(CLI11 REQUIRED)
  find_package(nlohmann_json REQUIRED)
  find_package(toml11 REQUIRED)
  target_link_libraries(kelvane_header_only_deps INTERFACE CLI11::CLI11 nlohmann_json::nlohmann_json toml11::toml11)
endif()
