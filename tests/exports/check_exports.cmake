cmake_minimum_required(VERSION 3.25)
# Checks the dynamic symbol table of the shared library: every defined
# symbol is one of the 18 Kuv functions, and every function built so far is
# there.
set(ALL_EXPORTS
  KuvAttach KuvDetach KuvOpen KuvSave KuvObjectList KuvObjectExists
  KuvGetNextObject KuvIsParent KuvGetFieldDef KuvGetNextValue
  KuvCreateObject KuvPutObject KuvDeleteObject KuvCreateTableDef
  KuvCreateFieldDef KuvPutValue KuvDateToString KuvStringToDate)
include(${CMAKE_CURRENT_LIST_DIR}/built_exports.cmake)

execute_process(COMMAND nm -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE SYMBOLS RESULT_VARIABLE RESULT)
if(NOT RESULT EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" LINES "${SYMBOLS}")
set(FOUND "")
foreach(line IN LISTS LINES)
  if(line MATCHES "^[0-9a-fA-F]+ ([A-Za-z]) (.+)$")
    set(kind ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    if(kind STREQUAL "A")
      continue()  # version node names, not code or data
    endif()
    if(NOT name IN_LIST ALL_EXPORTS)
      message(FATAL_ERROR "unexpected export: ${name} (${kind})")
    endif()
    list(APPEND FOUND ${name})
  endif()
endforeach()
foreach(name IN LISTS BUILT_EXPORTS)
  if(NOT name IN_LIST FOUND)
    message(FATAL_ERROR "missing export: ${name}")
  endif()
endforeach()
list(LENGTH FOUND count)
message(STATUS "exports: ${count}: ${FOUND}")
