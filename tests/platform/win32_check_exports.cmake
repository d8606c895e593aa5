cmake_minimum_required(VERSION 3.25)
# Checks the export table of kuv.dll: exactly the 18 Kuv functions, by their
# plain names. Run with -DLIBRARY=<kuv.dll> -DOBJDUMP=<objdump for PE>.
set(ALL_EXPORTS
  KuvAttach KuvDetach KuvOpen KuvSave KuvObjectList KuvObjectExists
  KuvGetNextObject KuvIsParent KuvGetFieldDef KuvGetNextValue
  KuvCreateObject KuvPutObject KuvDeleteObject KuvCreateTableDef
  KuvCreateFieldDef KuvPutValue KuvDateToString KuvStringToDate)

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
    if(NOT CMAKE_MATCH_1 IN_LIST ALL_EXPORTS)
      message(FATAL_ERROR "unexpected export: ${CMAKE_MATCH_1}")
    endif()
    list(APPEND FOUND ${CMAKE_MATCH_1})
  endif()
endforeach()
foreach(name IN LISTS ALL_EXPORTS)
  if(NOT name IN_LIST FOUND)
    message(FATAL_ERROR "missing export: ${name}")
  endif()
endforeach()
list(LENGTH FOUND count)
if(NOT count EQUAL 18)
  message(FATAL_ERROR "expected 18 exports, found ${count}: ${FOUND}")
endif()
message(STATUS "kuv.dll exports: ${FOUND}")
