# Satisfies find_package(GTest) in the Windows cross build: there is no
# prebuilt Windows GoogleTest, so it is built here from the sources of the
# googletest package, with the same target names the find module gives.
# Loaded through CMAKE_PROJECT_TOP_LEVEL_INCLUDES by the windows preset.
set(KUV_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest sources built for the cross build")

macro(kuv_provide_dependency method name)
  if("${name}" STREQUAL "GTest" AND NOT TARGET GTest::gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(${KUV_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest
                     EXCLUDE_FROM_ALL SYSTEM)
    # Recent GoogleTest sources name their targets GTest:: themselves.
    foreach(library gtest gtest_main gmock gmock_main)
      if(NOT TARGET GTest::${library})
        add_library(GTest::${library} ALIAS ${library})
      endif()
    endforeach()
    set(GTest_FOUND TRUE)
  elseif("${name}" STREQUAL "GTest")
    set(GTest_FOUND TRUE)
  endif()
endmacro()

cmake_language(SET_DEPENDENCY_PROVIDER kuv_provide_dependency SUPPORTED_METHODS FIND_PACKAGE)
