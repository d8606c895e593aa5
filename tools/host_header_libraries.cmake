# CLI11 and nlohmann/json for a cross build. Both are header-only, so the
# build machine's copies serve any target, but the folder they sit in also
# holds the build machine's C library headers, which must not shadow the
# target's. A staging folder with links to just these two is searched instead.
set(KUV_HOST_HEADERS ${CMAKE_CURRENT_BINARY_DIR}/host_headers)
file(MAKE_DIRECTORY ${KUV_HOST_HEADERS})
foreach(folder CLI nlohmann)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/setup.sh")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${KUV_HOST_HEADERS}/${folder} SYMBOLIC)
endforeach()

# Imported targets: their include folders count as system ones, so the
# libraries' own warnings stay out of a -Werror build.
foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${KUV_HOST_HEADERS})
endforeach()
