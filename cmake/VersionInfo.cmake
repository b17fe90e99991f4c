# add_version_info(<target> <description> <original-file-name>)
#
# Gives a program or library its file version. On Windows that is a real
# VERSIONINFO resource, which the program reads back from its own file; on
# Linux, which has no version resources, the same four numbers are compiled
# into the module and returned by the platform layer.
function(add_version_info target description filename)
  set(VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
  set(VERSION_MINOR ${PROJECT_VERSION_MINOR})
  set(VERSION_PATCH ${PROJECT_VERSION_PATCH})
  set(VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
  set(VERSION_TEXT ${PROJECT_VERSION})
  set(FILE_DESCRIPTION "${description}")
  set(ORIGINAL_FILENAME "${filename}")
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "SHARED_LIBRARY")
    set(FILE_TYPE VFT_DLL)
  else()
    set(FILE_TYPE VFT_APP)
  endif()
  if(WIN32)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${out} @ONLY)
  else()
    # A program also exports its version under a second name, so that a
    # plug-in it loads can name the version of the program that runs.
    if(kind STREQUAL "EXECUTABLE")
      set(EXPORT_EXECUTABLE_VERSION 1)
      target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=nicfw_executable_file_version")
    else()
      set(EXPORT_EXECUTABLE_VERSION 0)
    endif()
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.cpp)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.cpp.in ${out} @ONLY)
  endif()
  target_sources(${target} PRIVATE ${out})
endfunction()
