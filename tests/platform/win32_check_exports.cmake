cmake_minimum_required(VERSION 3.25)
# Checks the export table of kuv.dll: exactly the 18 Kuv functions, by their
# plain names. Run with -DLIBRARY=<kuv.dll> -DOBJDUMP=<objdump for PE>.
include(${CMAKE_CURRENT_LIST_DIR}/../exports/kuv_exports.cmake)

execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE DUMP RESULT_VARIABLE RESULT)
if(NOT RESULT EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${LIBRARY}")
endif()
# The name table follows "[Ordinal/Name Pointer] Table" and ends at the
# first empty line.
string(FIND "${DUMP}" "[Ordinal/Name Pointer] Table" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${LIBRARY} has no export name table")
endif()
string(SUBSTRING "${DUMP}" ${start} -1 TABLE)
string(FIND "${TABLE}" "\n\n" end)
if(NOT end EQUAL -1)
  string(SUBSTRING "${TABLE}" 0 ${end} TABLE)
endif()
string(REPLACE "\n" ";" LINES "${TABLE}")
set(FOUND "")
foreach(line IN LISTS LINES)
  if(line MATCHES "^[ \t]*\\[ *[0-9]+\\] +([^ ]+)$")
    list(APPEND FOUND ${CMAKE_MATCH_1})
  endif()
endforeach()
kuv_check_exports("${FOUND}")
