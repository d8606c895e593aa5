# The exports built so far; the list grows with each part of the interface.
set(BUILT_EXPORTS KuvDetach KuvDateToString KuvStringToDate)
list(APPEND BUILT_EXPORTS KuvAttach)
list(APPEND BUILT_EXPORTS KuvObjectList)
list(APPEND BUILT_EXPORTS KuvObjectExists)
list(APPEND BUILT_EXPORTS KuvGetNextObject)
list(APPEND BUILT_EXPORTS KuvIsParent)
list(APPEND BUILT_EXPORTS KuvGetFieldDef)
list(APPEND BUILT_EXPORTS KuvGetNextValue)
