# The 18 functions of the C interface, and the check that a library's
# export list holds each of them and nothing else. Shared by the ELF and the
# PE export checks.
set(ALL_EXPORTS
  KuvAttach KuvDetach KuvOpen KuvSave KuvObjectList KuvObjectExists
  KuvGetNextObject KuvIsParent KuvGetFieldDef KuvGetNextValue
  KuvCreateObject KuvPutObject KuvDeleteObject KuvCreateTableDef
  KuvCreateFieldDef KuvPutValue KuvDateToString KuvStringToDate)

function(kuv_check_exports found)
  foreach(name IN LISTS found)
    if(NOT name IN_LIST ALL_EXPORTS)
      message(FATAL_ERROR "unexpected export: ${name}")
    endif()
  endforeach()
  foreach(name IN LISTS ALL_EXPORTS)
    if(NOT name IN_LIST found)
      message(FATAL_ERROR "missing export: ${name}")
    endif()
  endforeach()
  list(LENGTH found count)
  message(STATUS "exports: ${count}: ${found}")
endfunction()
