cmake_minimum_required(VERSION 3.25)
# Runs TOOL --version (through EMULATOR, when cross-compiled) and checks
# that it prints exactly "kuv EXPECTED" and succeeds.
execute_process(COMMAND ${EMULATOR} ${TOOL} --version
  OUTPUT_VARIABLE OUTPUT ERROR_VARIABLE ERRORS RESULT_VARIABLE RESULT)
string(REGEX REPLACE "\r?\n$" "" OUTPUT "${OUTPUT}")
if(NOT RESULT EQUAL 0)
  message(FATAL_ERROR "kuv --version failed (${RESULT}): ${OUTPUT}${ERRORS}")
endif()
if(NOT OUTPUT STREQUAL "kuv ${EXPECTED}")
  message(FATAL_ERROR "kuv --version printed \"${OUTPUT}\", not \"kuv ${EXPECTED}\"")
endif()
message(STATUS "kuv --version: ${OUTPUT}")
