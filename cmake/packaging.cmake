# The packages, made by CPack from the install rules of the component
# "kuv" (everything but the Python package, whose place depends on the
# Python it is built for):
#   - elsewhere, a Debian package: cpack --preset release, or
#     cpack -G DEB --config <build>/CPackConfig.cmake;
#   - on Windows, a zip with this build under x64\ (or x86\) and, when
#     KUV_PACKAGE_X86_BUILD_DIR names the 32-bit build, that one under x86\,
#     with a README for hosts: cpack --preset windows.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME kuv)
set(CPACK_PACKAGE_VENDOR "The kuv developers")
set(CPACK_PACKAGE_CONTACT "The kuv developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Read, edit and write tag-based well-data interchange documents")
set(CPACK_PACKAGE_DESCRIPTION
    "libkuv, a shared library with a C interface of 18 Kuv functions for the host programs \
that exchange well-data documents; libkuvdocument, the C++17 document API over the same \
reader and writer; the kuv command-line tool (show, check, export to JSON and CSV, import); \
the standard template; headers, pkg-config files and a CMake package for building hosts.")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_STRIP_FILES ON)  # the debugging symbols stay in the build tree

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KUV_WINDOWS_ARCH x64)
  else()
    set(KUV_WINDOWS_ARCH x86)
  endif()
  set(KUV_PACKAGE_X86_BUILD_DIR "" CACHE PATH
      "The 32-bit Windows build (windows-x86 preset) whose install goes into this build's zip, under x86")

  # Hosts link kuv.dll through the import library kuv.lib; with another
  # linker than MinGW's, the exports list makes one (lib /def:kuv.def).
  install(FILES ${PROJECT_SOURCE_DIR}/src/kuv.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/README-Windows.txt.in
    ${PROJECT_BINARY_DIR}/README-Windows.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README-Windows.txt DESTINATION . RENAME README.txt
    COMPONENT windows_readme)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_INSTALL_CMAKE_PROJECTS
      ${PROJECT_BINARY_DIR} kuv kuv /${KUV_WINDOWS_ARCH}
      ${PROJECT_BINARY_DIR} kuv windows_readme /)
  if(KUV_PACKAGE_X86_BUILD_DIR AND KUV_WINDOWS_ARCH STREQUAL "x64")
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${KUV_PACKAGE_X86_BUILD_DIR} kuv kuv /x86)
    set(CPACK_PACKAGE_FILE_NAME kuv-${PROJECT_VERSION}-windows)
    # The 32-bit build is only installed from, not built, by the packaging.
    set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackWindowsCheck.cmake)
    file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
      "if(NOT EXISTS \"${KUV_PACKAGE_X86_BUILD_DIR}/bin/kuv.dll\")\n"
      "  message(FATAL_ERROR \"the zip holds the 32-bit build too, and ${KUV_PACKAGE_X86_BUILD_DIR} \"\n"
      "    \"has none: build it first (cmake --preset windows-x86 && cmake --build --preset windows-x86)\")\n"
      "endif()\n")
  else()
    set(CPACK_PACKAGE_FILE_NAME kuv-${PROJECT_VERSION}-windows-${KUV_WINDOWS_ARCH})
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_INSTALL_CMAKE_PROJECTS ${PROJECT_BINARY_DIR} kuv kuv /)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kuv_VERSION_ARCH.deb
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  # The libraries' and the tool's dependencies, found by dpkg-shlibdeps;
  # hosts get a shlibs file and the loader cache is refreshed on install
  # and removal.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pkg-config, cmake")
endif()

include(CPack)
