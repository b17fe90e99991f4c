# The Windows update package as it ships, and the demo package beside it.
#
# `cmake --build --preset windows --target package` writes two zips into the
# build directory, both named with the release number:
#   TarnP3PFirmware-<release>.zip       the update package: the zip's root is
#                                       the package directory the host loads
#                                       the plug-in from
#   TarnP3PFirmware-<release>-demo.zip  the same files plus the adapter
#                                       simulator, its state and machine,
#                                       and the host stand-in
# The adapter vendor's tool is not ours to ship: the administrator places it
# beside Kelvor.exe. The simulator that stands in for it during tests goes
# only into the demo zip, so nobody mistakes it for the vendor's tool.
#
# Every program and library in either zip is signed with Authenticode, and
# each zip carries SHA256SUMS of its files (packaging/sign_package.cmake):
# with the release certificate that NICFW_SIGNING_PFX and
# NICFW_SIGNING_PASSWORD name, otherwise with a throwaway test certificate
# that README.txt then declares.
#
# Each zip is one CPack component. A component's zip holds only its own
# files, so the demo component installs the update package's files a second
# time: one cpack run then writes both zips.

if(NOT WIN32)
  # The Linux build runs the same package from build/<preset>/package/
  # (stage_package); it ships nothing.
  return()
endif()

set(NICFW_PACKAGE_NAME TarnP3PFirmware)
find_program(NICFW_OSSLSIGNCODE osslsigncode REQUIRED)
find_program(NICFW_OPENSSL openssl REQUIRED)
set(NICFW_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)
set(NICFW_PACKAGE_SOURCE ${PROJECT_SOURCE_DIR}/examples/package)

# The firmware images are the ones the catalog names: a new image in the
# catalog ships without touching this file, and a missing one stops the
# configure step instead of producing a package that cannot flash.
function(nicfw_catalog_images catalog out)
  file(READ ${catalog} text)
  string(REGEX MATCHALL "fwFile=\"[^\"]+\"" attributes "${text}")
  set(images "")
  foreach(attribute IN LISTS attributes)
    string(REGEX REPLACE "^fwFile=\"([^\"]+)\"$" "\\1" image "${attribute}")
    if(NOT EXISTS ${NICFW_PACKAGE_SOURCE}/${image})
      message(FATAL_ERROR "The catalog ${catalog} names the image ${image}, which the package lacks")
    endif()
    list(APPEND images ${NICFW_PACKAGE_SOURCE}/${image})
  endforeach()
  list(REMOVE_DUPLICATES images)
  if(images STREQUAL "")
    message(FATAL_ERROR "The catalog ${catalog} names no firmware image")
  endif()
  set(${out} ${images} PARENT_SCOPE)
endfunction()

nicfw_catalog_images(${NICFW_PACKAGE_SOURCE}/NICFWData.xml nicfw_images)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${NICFW_PACKAGE_SOURCE}/NICFWData.xml)
file(GLOB nicfw_package_definitions ${NICFW_PACKAGE_SOURCE}/yk*.xml)
# The plug-in takes the first yk*.xml it finds: a second one would be
# ambiguous.
list(LENGTH nicfw_package_definitions count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "Expected one package definition yk*.xml in ${NICFW_PACKAGE_SOURCE}, found ${count}")
endif()
# Its version goes into the README.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${nicfw_package_definitions})

# The administrator's README, with Windows line ends for every Notepad, and
# the release, the firmware version and the images filled in.
function(nicfw_package_readme out)
  file(READ ${nicfw_package_definitions} definition)
  if(NOT definition MATCHES "<version value=\"([^\"]+)\"")
    message(FATAL_ERROR "The package definition ${nicfw_package_definitions} states no version")
  endif()
  set(NICFW_FIRMWARE_VERSION ${CMAKE_MATCH_1})
  set(lines "")
  foreach(image IN LISTS nicfw_images)
    get_filename_component(name ${image} NAME)
    string(LENGTH "${name}" length)
    set(padding " ")
    if(length LESS 18)
      math(EXPR blanks "19 - ${length}")
      string(REPEAT " " ${blanks} padding)
    endif()
    list(APPEND lines "  ${name}${padding}a firmware image that the catalog names")
  endforeach()
  list(JOIN lines "\n" NICFW_IMAGE_LINES)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt.in ${out} @ONLY NEWLINE_STYLE CRLF)
endfunction()

nicfw_package_readme(${CMAKE_BINARY_DIR}/packaging/README.txt)
configure_file(${PROJECT_SOURCE_DIR}/packaging/README-demo.txt.in ${CMAKE_BINARY_DIR}/packaging/README-demo.txt @ONLY
               NEWLINE_STYLE CRLF)

# The update package's own files, flat at the zip's root, for each component
# named.
function(nicfw_install_update_package)
  foreach(component IN LISTS ARGN)
    install(PROGRAMS $<TARGET_FILE:Kelvor> $<TARGET_FILE:Tamsel> DESTINATION . COMPONENT ${component})
    install(FILES ${NICFW_PACKAGE_SOURCE}/NICFWData.xml ${nicfw_images} ${nicfw_package_definitions}
                  ${NICFW_PACKAGE_SOURCE}/install.xml ${NICFW_PACKAGE_SOURCE}/dependency.xml
            DESTINATION . COMPONENT ${component})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION . COMPONENT ${component})
  endforeach()
endfunction()

nicfw_install_update_package(update demo)
install(PROGRAMS $<TARGET_FILE:rirador> $<TARGET_FILE:Zorvane> $<TARGET_FILE:driver_service> DESTINATION .
        COMPONENT demo)
install(FILES ${NICFW_PACKAGE_SOURCE}/rirador.state ${CMAKE_BINARY_DIR}/packaging/README-demo.txt
        DESTINATION . COMPONENT demo)
install(DIRECTORY ${NICFW_PACKAGE_SOURCE}/machine DESTINATION . COMPONENT demo)

# After every file of the component: signs and sums what cpack staged.
foreach(component update demo)
  install(CODE "set(NICFW_PACKAGE_ROOT \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
                set(NICFW_SIGNING_DIR \"${NICFW_SIGNING_DIR}\")
                set(NICFW_OPENSSL \"${NICFW_OPENSSL}\")
                set(NICFW_OSSLSIGNCODE \"${NICFW_OSSLSIGNCODE}\")
                set(NICFW_SIGNER_NAME \"Tarn KX-Series P3P firmware update\")
                include(\"${PROJECT_SOURCE_DIR}/packaging/sign_package.cmake\")"
          COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME ${NICFW_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Tarn")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tarn KX-Series P3P adapter firmware update package")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR ZIP)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL update demo)
set(CPACK_ARCHIVE_UPDATE_FILE_NAME ${NICFW_PACKAGE_NAME}-${PROJECT_VERSION})
set(CPACK_ARCHIVE_DEMO_FILE_NAME ${NICFW_PACKAGE_NAME}-${PROJECT_VERSION}-demo)
# The host expects the package files directly in its package directory.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)

if(NICFW_TESTS)
  # Runs on the build machine itself: cmake is not a target, so the test
  # gets no Windows emulator. It writes the zips into its own directory.
  if(CMAKE_OBJDUMP MATCHES "mingw")
    set(nicfw_objdump ${CMAKE_OBJDUMP})
  else()
    find_program(nicfw_objdump NAMES x86_64-w64-mingw32-objdump REQUIRED)
  endif()
  add_test(NAME package_contents
           COMMAND ${CMAKE_COMMAND} -D CPACK=${CMAKE_CPACK_COMMAND} -D CPACK_CONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake
                   -D SCRATCH=${CMAKE_BINARY_DIR}/Testing/package_contents -D PACKAGE_NAME=${NICFW_PACKAGE_NAME}
                   -D RELEASE=${PROJECT_VERSION} -D MACHINE=${NICFW_PACKAGE_SOURCE}/machine -D OBJDUMP=${nicfw_objdump}
                   -D OSSLSIGNCODE=${NICFW_OSSLSIGNCODE} -D OPENSSL=${NICFW_OPENSSL} -D SIGNING_DIR=${NICFW_SIGNING_DIR}
                   -D UNSIGNED=$<TARGET_FILE:Tamsel>
                   -P ${PROJECT_SOURCE_DIR}/packaging/check_package.cmake)
  set_tests_properties(package_contents PROPERTIES LABELS package TIMEOUT 120)
endif()
