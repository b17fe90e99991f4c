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
#     plug-in exports the three names the host calls;
#   - every binary's signature verifies against the signing certificate, and
#     SHA256SUMS lists every other file with its right checksum; the same
#     check rejects a tampered byte, an unsigned binary and a file left out
#     of the sums;
#   - a release certificate that is missing, expired or opened with the
#     wrong password stops packaging, and no zip is written.
#
# cmake -D CPACK=... -D CPACK_CONFIG=... -D SCRATCH=... -D PACKAGE_NAME=...
#       -D RELEASE=... -D MACHINE=<source machine dir> -D OBJDUMP=...
#       -D OSSLSIGNCODE=... -D OPENSSL=... -D SIGNING_DIR=<the build's>
#       -D UNSIGNED=<an unsigned binary of the build> -P check_package.cmake

cmake_policy(VERSION 3.25)

foreach(variable CPACK CPACK_CONFIG SCRATCH PACKAGE_NAME RELEASE MACHINE OBJDUMP OSSLSIGNCODE OPENSSL SIGNING_DIR
                 UNSIGNED)
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

# What is wrong with the signatures and sums of the unpacked package in
# `directory`, one line per fault, into `out`.
function(signature_faults directory out)
  set(faults "")
  file(GLOB binaries RELATIVE ${directory} ${directory}/*.exe ${directory}/*.dll)
  foreach(binary IN LISTS binaries)
    execute_process(COMMAND ${OSSLSIGNCODE} verify -in ${directory}/${binary} -CAfile ${SIGNING_DIR}/certificate.pem
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(NOT result EQUAL 0)
      list(APPEND faults "${binary}: no valid signature of the signing certificate")
    endif()
  endforeach()
  set(listed "")
  if(EXISTS ${directory}/SHA256SUMS)
    file(STRINGS ${directory}/SHA256SUMS lines)
  else()
    set(lines "")
    list(APPEND faults "SHA256SUMS is missing")
  endif()
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([0-9a-f]+)  (.+)$")
      list(APPEND faults "SHA256SUMS: unreadable line ${line}")
      continue()
    endif()
    set(hash ${CMAKE_MATCH_1})
    set(file ${CMAKE_MATCH_2})
    list(APPEND listed ${file})
    if(NOT EXISTS ${directory}/${file})
      list(APPEND faults "${file}: in SHA256SUMS but missing")
      continue()
    endif()
    file(SHA256 ${directory}/${file} actual)
    if(NOT actual STREQUAL hash)
      list(APPEND faults "${file}: checksum differs from SHA256SUMS")
    endif()
  endforeach()
  file(GLOB_RECURSE files RELATIVE ${directory} LIST_DIRECTORIES false ${directory}/*)
  list(REMOVE_ITEM files SHA256SUMS)
  foreach(file IN LISTS files)
    if(NOT file IN_LIST listed)
      list(APPEND faults "${file}: not in SHA256SUMS")
    endif()
  endforeach()
  set(${out} "${faults}" PARENT_SCOPE)
endfunction()

# The check itself must reject a damaged package: each case damages a copy
# of the update package in its own way and names a fault that must be found.
function(check_signature_check_rejects update)
  set(cases tampered unsigned unlisted)
  set(tampered_fault "Kelvor.exe: no valid signature of the signing certificate"
                     "Kelvor.exe: checksum differs from SHA256SUMS")
  set(unsigned_fault "Tamsel.dll: no valid signature of the signing certificate")
  set(unlisted_fault "README.txt: not in SHA256SUMS")
  foreach(case IN LISTS cases)
    set(copy ${SCRATCH}/${case})
    file(COPY ${update}/ DESTINATION ${copy})
    if(case STREQUAL "tampered")
      # One byte in the middle of the program, where its code lies.
      file(SIZE ${copy}/Kelvor.exe size)
      math(EXPR middle "${size} / 2")
      file(READ ${copy}/Kelvor.exe byte OFFSET ${middle} LIMIT 1 HEX)
      if(byte STREQUAL "00")
        set(replacement "\\001")
      else()
        set(replacement "\\000")
      endif()
      execute_process(COMMAND sh -c "printf '${replacement}' | dd of=Kelvor.exe bs=1 seek=${middle} conv=notrunc"
                      WORKING_DIRECTORY ${copy} OUTPUT_QUIET ERROR_QUIET)
    elseif(case STREQUAL "unsigned")
      # The build's own Tamsel.dll before signing, with its sum made right.
      file(COPY_FILE ${UNSIGNED} ${copy}/Tamsel.dll)
      file(SHA256 ${copy}/Tamsel.dll hash)
      file(READ ${copy}/SHA256SUMS sums)
      string(REGEX REPLACE "[0-9a-f]+  Tamsel.dll\n" "${hash}  Tamsel.dll\n" sums "${sums}")
      file(WRITE ${copy}/SHA256SUMS "${sums}")
    else()
      file(READ ${copy}/SHA256SUMS sums)
      string(REGEX REPLACE "[0-9a-f]+  README.txt\n" "" sums "${sums}")
      file(WRITE ${copy}/SHA256SUMS "${sums}")
    endif()
    signature_faults(${copy} found)
    foreach(fault IN LISTS ${case}_fault)
      if(NOT fault IN_LIST found)
        fail("the package check misses a damaged package (${case}): expected \"${fault}\", found: ${found}")
      endif()
    endforeach()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

# A release certificate that cannot sign: cpack must fail with its reason
# and leave no zip behind.
function(check_bad_certificates)
  set(certs ${SCRATCH}/certs)
  file(MAKE_DIRECTORY ${certs})
  execute_process(COMMAND ${OPENSSL} req -new -newkey rsa:2048 -nodes -keyout ${certs}/key.pem -out ${certs}/csr.pem
                          -subj "/CN=expired"
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND ${OPENSSL} x509 -req -in ${certs}/csr.pem -signkey ${certs}/key.pem -days -1
                          -out ${certs}/expired.pem COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND ${OPENSSL} pkcs12 -export -inkey ${certs}/key.pem -in ${certs}/expired.pem
                          -out ${certs}/expired.pfx -passout pass:right COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${OPENSSL} req -x509 -newkey rsa:2048 -nodes -days 30 -keyout ${certs}/key2.pem
                          -out ${certs}/valid.pem -subj "/CN=valid"
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND ${OPENSSL} pkcs12 -export -inkey ${certs}/key2.pem -in ${certs}/valid.pem
                          -out ${certs}/valid.pfx -passout pass:right COMMAND_ERROR_IS_FATAL ANY)
  set(cases missing expired wrong_password)
  set(missing_pfx ${certs}/absent.pfx)
  set(missing_message "does not exist")
  set(expired_pfx ${certs}/expired.pfx)
  set(expired_message "has expired")
  set(wrong_password_pfx ${certs}/valid.pfx)
  set(wrong_password_message "does not open with the password")
  foreach(case IN LISTS cases)
    set(password right)
    if(case STREQUAL "wrong_password")
      set(password wrong)
    endif()
    set(zips ${SCRATCH}/zips-${case})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env NICFW_SIGNING_PFX=${${case}_pfx} NICFW_SIGNING_PASSWORD=${password}
                            ${CPACK} --config ${CPACK_CONFIG} -B ${zips}
                    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
    file(GLOB written ${zips}/*.zip)
    # CMake wraps the message's lines.
    string(REGEX REPLACE "[ \t\r\n]+" " " flat "${output}")
    if(result EQUAL 0 OR written)
      fail("a ${case} signing certificate did not stop packaging (cpack ${result}, zips: ${written})")
    elseif(NOT flat MATCHES "Packaging stopped, nothing was signed or shipped: the signing certificate [^:]* ${${case}_message}")
      fail("a ${case} signing certificate stopped packaging without saying why:\n${output}")
    endif()
  endforeach()
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

set(update_files Kelvor.exe Tamsel.dll NICFWData.xml ${images} ykp3pfw.xml install.xml dependency.xml README.txt
    SHA256SUMS)
check_file_list(update ${SCRATCH}/update "${update_files}")
if(EXISTS ${SCRATCH}/update/rirador.exe OR EXISTS ${SCRATCH}/update/rirador.state)
  fail("the adapter simulator ships in the update package")
endif()

get_filename_component(machine_parent ${MACHINE} DIRECTORY)
file(GLOB_RECURSE machine_files RELATIVE ${machine_parent} LIST_DIRECTORIES false ${MACHINE}/*)
set(demo_files ${update_files} rirador.exe rirador.state Zorvane.exe driver_service.exe README-demo.txt
    ${machine_files})
check_file_list(demo ${SCRATCH}/demo "${demo_files}")

file(GLOB binaries ${SCRATCH}/update/*.exe ${SCRATCH}/update/*.dll ${SCRATCH}/demo/*.exe ${SCRATCH}/demo/*.dll)
foreach(binary IN LISTS binaries)
  check_imports(${binary})
endforeach()

foreach(kind update demo)
  signature_faults(${SCRATCH}/${kind} faults)
  foreach(fault IN LISTS faults)
    fail("${kind} package: ${fault}")
  endforeach()
endforeach()
check_signature_check_rejects(${SCRATCH}/update)
# Last: a failed run leaves the signing directory without the certificate
# that the checks above verify against.
check_bad_certificates()

if(failures)
  message(FATAL_ERROR "The packages in ${SCRATCH}/zips are not as they must ship:\n${failures}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "${update_zip} and ${demo_zip}: contents, imports, signatures and checksums as they must ship")
