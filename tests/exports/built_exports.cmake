# The exports built so far; the list grows with each part of the interface.
set(BUILT_EXPORTS KuvDetach KuvDateToString KuvStringToDate)
list(APPEND BUILT_EXPORTS KuvAttach)
