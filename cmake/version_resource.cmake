# kuv_version_resource(TARGET FILE_NAME DESCRIPTION): on Windows, gives the
# DLL or program TARGET, named FILE_NAME, a version resource that carries
# the project's version, so that Windows and installers see which kuv a
# file is. Does nothing elsewhere, where the SONAMEs carry the version.
function(kuv_version_resource target file_name description)
  if(NOT WIN32)
    return()
  endif()
  # FILEVERSION has four numbers; the parts the version leaves out are 0.
  set(parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
            ${PROJECT_VERSION_TWEAK} 0 0 0)
  list(SUBLIST parts 0 4 parts)
  list(JOIN parts "," KUV_RC_VERSION)

  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(KUV_RC_FILE_TYPE VFT_APP)
    # A program's manifest (resource 1 of type RT_MANIFEST, 24) that runs
    # it as invoked: without one, Windows would let a 32-bit kuv.exe
    # without administrator rights "register" a template in a per-user
    # copy of the registry that other users, and hosts with a manifest of
    # their own, never see.
    set(KUV_RC_MANIFEST "1 24 \"${PROJECT_SOURCE_DIR}/cmake/program.manifest\"")
  else()
    set(KUV_RC_FILE_TYPE VFT_DLL)
    set(KUV_RC_MANIFEST "")
  endif()
  set(KUV_RC_FILE_NAME ${file_name})
  get_filename_component(KUV_RC_INTERNAL_NAME ${file_name} NAME_WE)
  set(KUV_RC_DESCRIPTION ${description})

  set(resource ${PROJECT_BINARY_DIR}/version_resources/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_resource.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()
