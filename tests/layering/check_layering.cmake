# The layers of src/ depend one way: api on frame, frame on core, document
# on core, core on io, io on model, platform and resources; sqlite stands
# on the public headers alone. A file of a layer may include its own
# layer's headers and those of the layers below it, and the public headers
# (kuv/...); the tool, the Python package and
# the examples include the public headers and their own, never a file of
# src/. Fails, naming each include that runs against this, when one does.
#   cmake -DSOURCE_DIR=<the repository> -P check_layering.cmake
cmake_policy(SET CMP0057 NEW)
set(below_resources "")
set(below_platform "")
set(below_model "")
set(below_io model platform resources)
set(below_core io ${below_io})
set(below_frame core ${below_core})
set(below_api frame ${below_frame})
set(below_document core ${below_core})
set(below_sqlite "")
set(layers resources platform model io core frame api document sqlite)

set(problems "")

# The "x/..." includes of a file, as a list of "line: name".
function(includes_of file out)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" name "${line}")
    list(APPEND names "${name}")
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# The top folder an include names ("io" of "io/reader.h"), or "" for one
# without a folder or that climbs out of its own ("../x").
function(layer_of name out)
  set(top "")
  if(name MATCHES "^([^/.][^/]*)/")
    set(top "${CMAKE_MATCH_1}")
  endif()
  if(name MATCHES "\\.\\./")
    set(top "..")
  endif()
  set(${out} "${top}" PARENT_SCOPE)
endfunction()

foreach(layer IN LISTS layers)
  file(GLOB_RECURSE files ${SOURCE_DIR}/src/${layer}/*.h ${SOURCE_DIR}/src/${layer}/*.cpp)
  set(allowed ${layer} ${below_${layer}} kuv)
  foreach(file IN LISTS files)
    includes_of(${file} names)
    foreach(name IN LISTS names)
      layer_of("${name}" top)
      if(top STREQUAL "")
        continue()
      endif()
      if(NOT top IN_LIST allowed)
        file(RELATIVE_PATH where ${SOURCE_DIR} ${file})
        list(APPEND problems "${where} (layer ${layer}) includes \"${name}\"")
      endif()
    endforeach()
  endforeach()
endforeach()

foreach(host tools python examples)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${host}/*.h ${SOURCE_DIR}/${host}/*.hpp
       ${SOURCE_DIR}/${host}/*.cpp ${SOURCE_DIR}/${host}/*.c)
  foreach(file IN LISTS files)
    includes_of(${file} names)
    foreach(name IN LISTS names)
      layer_of("${name}" top)
      if(top STREQUAL ".." OR (NOT top STREQUAL "" AND top IN_LIST layers))
        file(RELATIVE_PATH where ${SOURCE_DIR} ${file})
        list(APPEND problems "${where} includes \"${name}\", a file of the library's inside")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "includes against the layers:\n  ${text}")
endif()
message(STATUS "every include keeps to the layers")
