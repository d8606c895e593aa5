cmake_minimum_required(VERSION 3.25)
# Checks the dynamic symbol table of the shared library: every defined
# symbol is one of the 18 Kuv functions, and each of them is there.
include(${CMAKE_CURRENT_LIST_DIR}/kuv_exports.cmake)

execute_process(COMMAND nm -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE SYMBOLS RESULT_VARIABLE RESULT)
if(NOT RESULT EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" LINES "${SYMBOLS}")
set(FOUND "")
foreach(line IN LISTS LINES)
  if(line MATCHES "^[0-9a-fA-F]+ ([A-Za-z]) (.+)$")
    if(NOT CMAKE_MATCH_1 STREQUAL "A")  # version node names, not code or data
      list(APPEND FOUND ${CMAKE_MATCH_2})
    endif()
  endif()
endforeach()
kuv_check_exports("${FOUND}")
