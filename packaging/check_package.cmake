# Builds the update package and the demo package with cpack into a scratch
# directory, unpacks both and checks what an administrator would receive:
#   - exactly two zips, named with the release number;
#   - the update package holds exactly the package directory's files (the
#     deliverables, the catalog, the images the catalog names, the package
#     definition, install.xml, dependency.xml, the README), and never the
#     adapter simulator;
#   - the demo package holds the same plus the simulator, its state, its
#     machine and the host stand-in;
#   - every binary imports only DLLs that a bare Windows Server has, and the
#     plug-in exports the three names the host calls.
#
# cmake -D CPACK=... -D CPACK_CONFIG=... -D SCRATCH=... -D PACKAGE_NAME=...
#       -D RELEASE=... -D MACHINE=<source machine dir> -D OBJDUMP=...
#       -P check_package.cmake

cmake_policy(VERSION 3.25)

foreach(variable CPACK CPACK_CONFIG SCRATCH PACKAGE_NAME RELEASE MACHINE OBJDUMP)
  if("${${variable}}" STREQUAL "")
    message(FATAL_ERROR "check_package.cmake needs -D ${variable}=...")
  endif()
endforeach()

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

# Windows ships these on every server installation; anything else (the
# MinGW runtime, expat) would have to travel with the package.
set(system_dlls
    advapi32.dll cfgmgr32.dll crypt32.dll gdi32.dll kernel32.dll msvcrt.dll newdev.dll ntdll.dll ole32.dll
    oleaut32.dll rpcrt4.dll setupapi.dll shell32.dll shlwapi.dll user32.dll userenv.dll version.dll ws2_32.dll)

function(check_file_list kind directory expected)
  file(GLOB_RECURSE actual RELATIVE ${directory} LIST_DIRECTORIES false ${directory}/*)
  list(SORT actual)
  list(SORT expected)
  set(missing ${expected})
  list(REMOVE_ITEM missing ${actual})
  set(extra ${actual})
  list(REMOVE_ITEM extra ${expected})
  if(missing)
    fail("${kind} package lacks: ${missing}")
  endif()
  if(extra)
    fail("${kind} package holds unexpected files: ${extra}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

function(check_imports binary)
  execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE dump RESULT_VARIABLE result ERROR_VARIABLE errors)
  get_filename_component(name ${binary} NAME)
  if(NOT result EQUAL 0)
    fail("${OBJDUMP} -p ${name} failed: ${errors}")
    set(failures "${failures}" PARENT_SCOPE)
    return()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  set(names "")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^DLL Name: *" "" dll "${import}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(APPEND names ${dll})
    if(NOT dll IN_LIST system_dlls AND NOT dll MATCHES "^api-ms-win-crt-[a-z0-9-]+\\.dll$")
      fail("${name} imports ${dll}, which a bare Windows Server lacks")
    endif()
  endforeach()
  # No import table read at all would pass every check above.
  if(NOT "kernel32.dll" IN_LIST names)
    fail("${name}: no import of kernel32.dll found in the objdump output")
  endif()
  if(name STREQUAL "Tamsel.dll")
    foreach(export GetInterfaceVersion GetProperty Install)
      if(NOT dump MATCHES "\\][ \t]+${export}[\r\n]")
        fail("Tamsel.dll does not export ${export} under its plain name")
      endif()
    endforeach()
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/zips ${SCRATCH}/update ${SCRATCH}/demo)
execute_process(COMMAND ${CPACK} --config ${CPACK_CONFIG} -B ${SCRATCH}/zips
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed (${result}):\n${output}")
endif()

set(update_zip ${PACKAGE_NAME}-${RELEASE}.zip)
set(demo_zip ${PACKAGE_NAME}-${RELEASE}-demo.zip)
file(GLOB zips RELATIVE ${SCRATCH}/zips ${SCRATCH}/zips/*.zip)
set(expected_zips ${update_zip} ${demo_zip})
list(SORT zips)
list(SORT expected_zips)
if(NOT zips STREQUAL expected_zips)
  message(FATAL_ERROR "expected the zips ${update_zip} and ${demo_zip}, cpack wrote: ${zips}")
endif()
foreach(kind update demo)
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${SCRATCH}/zips/${${kind}_zip}
                  WORKING_DIRECTORY ${SCRATCH}/${kind} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not unpack ${${kind}_zip}")
  endif()
endforeach()

# The images are the ones that the shipped catalog names.
file(READ ${SCRATCH}/update/NICFWData.xml catalog)
string(REGEX MATCHALL "fwFile=\"[^\"]+\"" attributes "${catalog}")
set(images "")
foreach(attribute IN LISTS attributes)
  string(REGEX REPLACE "^fwFile=\"([^\"]+)\"$" "\\1" image "${attribute}")
  list(APPEND images ${image})
endforeach()
list(REMOVE_DUPLICATES images)
if(NOT images)
  fail("the update package's catalog names no firmware image")
endif()

set(update_files Kelvor.exe Tamsel.dll NICFWData.xml ${images} ykp3pfw.xml install.xml dependency.xml README.txt)
check_file_list(update ${SCRATCH}/update "${update_files}")
if(EXISTS ${SCRATCH}/update/rirador.exe OR EXISTS ${SCRATCH}/update/rirador.state)
  fail("the adapter simulator ships in the update package")
endif()

get_filename_component(machine_parent ${MACHINE} DIRECTORY)
file(GLOB_RECURSE machine_files RELATIVE ${machine_parent} LIST_DIRECTORIES false ${MACHINE}/*)
set(demo_files ${update_files} rirador.exe rirador.state Zorvane.exe README-demo.txt ${machine_files})
check_file_list(demo ${SCRATCH}/demo "${demo_files}")

file(GLOB binaries ${SCRATCH}/update/*.exe ${SCRATCH}/update/*.dll ${SCRATCH}/demo/*.exe ${SCRATCH}/demo/*.dll)
foreach(binary IN LISTS binaries)
  check_imports(${binary})
endforeach()

if(failures)
  message(FATAL_ERROR "The packages in ${SCRATCH}/zips are not as they must ship:\n${failures}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "${update_zip} and ${demo_zip}: contents and imports as they must ship")
