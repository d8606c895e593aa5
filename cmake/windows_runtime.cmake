# The compiler's runtime DLLs, where a MinGW-w64 toolchain names some in
# KUV_MINGW_RUNTIME_DLLS (the 32-bit one; see cmake/mingw-w64-i686.cmake):
# copied beside the programs of the build tree, installed beside kuv.exe
# and kuvdocument.dll. kuv.dll links its runtime in all the same, so that a
# C host needs nothing but kuv.dll.
if(NOT KUV_MINGW_RUNTIME_DLLS)
  return()
endif()
include(GNUInstallDirs)
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(name IN LISTS KUV_MINGW_RUNTIME_DLLS)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(path "${path}" REALPATH)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no ${name} (scripts/setup_windows.sh installs it)")
  endif()
  # The compiler's copies carry their debugging sections: the ones placed
  # and installed here are stripped of them.
  set(copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
  if(NOT EXISTS ${copy} OR ${path} IS_NEWER_THAN ${copy})
    execute_process(COMMAND ${CMAKE_STRIP} --strip-debug -o ${copy} ${path} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${CMAKE_STRIP} could not strip ${path}")
    endif()
  endif()
  install(PROGRAMS ${copy} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
target_link_options(kuv PRIVATE -static)
