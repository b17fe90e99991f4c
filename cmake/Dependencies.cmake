# Third-party code comes from Debian's packages only; nothing is downloaded
# at build time except the expat source package for the Windows build.

if(WIN32)
  # Debian has no mingw build of expat: cross-build it once from Debian's
  # source package and keep it in the build tree.
  set(NICFW_EXPAT_PREFIX ${CMAKE_BINARY_DIR}/_deps/expat-win64 CACHE PATH "Windows expat install")
  if(NOT EXISTS ${NICFW_EXPAT_PREFIX}/lib/cmake/expat-done)
    message(STATUS "Cross-building expat for Windows into ${NICFW_EXPAT_PREFIX}")
    execute_process(
      COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/build-expat-windows.sh ${NICFW_EXPAT_PREFIX}
              ${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      RESULT_VARIABLE expat_result)
    if(NOT expat_result EQUAL 0)
      message(FATAL_ERROR "Could not build expat for Windows")
    endif()
  endif()
  file(GLOB expat_config_dir ${NICFW_EXPAT_PREFIX}/lib/cmake/expat-[0-9]*)
  list(APPEND CMAKE_FIND_ROOT_PATH ${NICFW_EXPAT_PREFIX})
  set(expat_DIR ${expat_config_dir})
  find_package(expat CONFIG REQUIRED)
  add_library(nicfw_expat INTERFACE)
  target_link_libraries(nicfw_expat INTERFACE expat::expat)
else()
  find_package(EXPAT REQUIRED)
  add_library(nicfw_expat INTERFACE)
  target_link_libraries(nicfw_expat INTERFACE EXPAT::EXPAT)
endif()
# The one name for expat that the rest of the tree links.
add_library(nicfw::expat ALIAS nicfw_expat)

if(NICFW_TESTS)
  if(WIN32)
    # GoogleTest for Windows is built from Debian's source package.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endif()
