# CLI11 for a cross build. It is header-only, so the build machine's copy
# serves any target, but the folder it sits in also holds the build
# machine's C library headers, which must not shadow the target's. A
# staging folder with a link to just this one is searched instead.
set(KUV_HOST_HEADERS ${CMAKE_CURRENT_BINARY_DIR}/host_headers)
file(MAKE_DIRECTORY ${KUV_HOST_HEADERS})
foreach(folder CLI)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/setup.sh")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${KUV_HOST_HEADERS}/${folder} SYMBOLIC)
endforeach()

# An imported target: its include folder counts as a system one, so the
# library's own warnings stay out of a -Werror build.
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${KUV_HOST_HEADERS})
