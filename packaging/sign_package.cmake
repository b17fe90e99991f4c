# Runs while cpack gathers one zip's files (an install script of each
# component): signs every program and library of the zip with Authenticode,
# notes in README.txt who signed them, and writes SHA256SUMS of every file.
# Any failure stops cpack, so no zip with an unsigned binary is ever written.
#
# The signing identity:
#   NICFW_SIGNING_PFX, NICFW_SIGNING_PASSWORD (environment)
#       a release: the PFX file with the certificate and its key, and the
#       PFX's password. It must open with that password and the certificate
#       must not have expired.
#   neither set
#       a throwaway test certificate that the build makes with openssl and
#       keeps in <build>/signing/ until it nears its end; README.txt says so.
# The signature carries no timestamp: signing needs no network, and the same
# binaries signed twice differ only in nothing that a check reads.
#
# In: NICFW_PACKAGE_ROOT (the zip's root as cpack stages it), NICFW_SIGNING_DIR,
#     NICFW_OPENSSL, NICFW_OSSLSIGNCODE, NICFW_SIGNER_NAME (the description
#     put into each signature). Out: <signing dir>/certificate.pem, the
#     certificates that signed, for the package check.

cmake_policy(VERSION 3.25)

function(nicfw_run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Packaging stopped, nothing was signed or shipped: ${what}\n${output}")
  endif()
endfunction()

# A PFX that opens with the password in the environment variable
# `password_variable`, and an unexpired certificate in it: its certificates
# go to certificate.pem.
function(nicfw_check_identity pfx password_variable)
  set(pem ${NICFW_SIGNING_DIR}/certificate.pem)
  file(REMOVE ${pem})
  execute_process(COMMAND ${NICFW_OPENSSL} pkcs12 -in ${pfx} -nokeys -passin env:${password_variable} -out ${pem}
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Packaging stopped, nothing was signed or shipped: the signing certificate ${pfx} "
                        "does not open with the password in ${password_variable} (wrong password or not a "
                        "PFX file)")
  endif()
  execute_process(COMMAND ${NICFW_OPENSSL} pkcs12 -in ${pfx} -nokeys -clcerts -passin env:${password_variable}
                  OUTPUT_VARIABLE leaf ERROR_QUIET)
  file(WRITE ${NICFW_SIGNING_DIR}/signer.pem "${leaf}")
  execute_process(COMMAND ${NICFW_OPENSSL} x509 -in ${NICFW_SIGNING_DIR}/signer.pem -noout -checkend 0
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(NOT result EQUAL 0)
    file(REMOVE ${pem})
    message(FATAL_ERROR "Packaging stopped, nothing was signed or shipped: the signing certificate in ${pfx} "
                        "has expired (or holds no certificate)")
  endif()
endfunction()

# The build's own test identity, made again when missing or within a day of
# its end.
function(nicfw_test_identity)
  set(pfx ${NICFW_SIGNING_DIR}/test-signing.pfx)
  set(pass ${NICFW_SIGNING_DIR}/test-signing.pass)
  if(EXISTS ${pfx} AND EXISTS ${pass} AND EXISTS ${NICFW_SIGNING_DIR}/test-signing.pem)
    execute_process(COMMAND ${NICFW_OPENSSL} x509 -in ${NICFW_SIGNING_DIR}/test-signing.pem -noout -checkend 86400
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(result EQUAL 0)
      return()
    endif()
  endif()
  string(RANDOM LENGTH 32 password)
  file(WRITE ${pass} "${password}")
  file(CHMOD ${pass} PERMISSIONS OWNER_READ OWNER_WRITE)
  set(key ${NICFW_SIGNING_DIR}/test-signing.key)
  nicfw_run("cannot make the test signing certificate"
    ${NICFW_OPENSSL} req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=${NICFW_SIGNER_NAME} test signing (not trusted)"
    -addext "extendedKeyUsage=codeSigning" -keyout ${key} -out ${NICFW_SIGNING_DIR}/test-signing.pem)
  nicfw_run("cannot make the test signing PFX"
    ${NICFW_OPENSSL} pkcs12 -export -inkey ${key} -in ${NICFW_SIGNING_DIR}/test-signing.pem -out ${pfx}
    -passout file:${pass})
  file(REMOVE ${key})
endfunction()

file(MAKE_DIRECTORY ${NICFW_SIGNING_DIR})
set(release_pfx "$ENV{NICFW_SIGNING_PFX}")
if(NOT release_pfx STREQUAL "")
  if(NOT EXISTS "${release_pfx}" OR IS_DIRECTORY "${release_pfx}")
    message(FATAL_ERROR "Packaging stopped, nothing was signed or shipped: the signing certificate "
                        "NICFW_SIGNING_PFX=${release_pfx} does not exist")
  endif()
  nicfw_check_identity("${release_pfx}" NICFW_SIGNING_PASSWORD)
  set(pfx "${release_pfx}")
  # osslsigncode reads the password from a file, never from its command
  # line, where every user of the machine could see it.
  set(pass ${NICFW_SIGNING_DIR}/release.pass)
  file(WRITE ${pass} "")
  file(CHMOD ${pass} PERMISSIONS OWNER_READ OWNER_WRITE)
  file(WRITE ${pass} "$ENV{NICFW_SIGNING_PASSWORD}")
  set(test_identity FALSE)
else()
  nicfw_test_identity()
  set(pfx ${NICFW_SIGNING_DIR}/test-signing.pfx)
  set(pass ${NICFW_SIGNING_DIR}/test-signing.pass)
  file(READ ${pass} password)
  set(ENV{NICFW_TEST_SIGNING_PASSWORD} "${password}")
  nicfw_check_identity(${pfx} NICFW_TEST_SIGNING_PASSWORD)
  set(test_identity TRUE)
endif()

file(GLOB binaries ${NICFW_PACKAGE_ROOT}/*.exe ${NICFW_PACKAGE_ROOT}/*.dll)
foreach(binary IN LISTS binaries)
  get_filename_component(name ${binary} NAME)
  file(REMOVE ${binary}.signed)
  execute_process(COMMAND ${NICFW_OSSLSIGNCODE} sign -pkcs12 ${pfx} -readpass ${pass} -h sha256
                          -n "${NICFW_SIGNER_NAME} ${name}" -in ${binary} -out ${binary}.signed
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    if(NOT test_identity)
      file(REMOVE ${pass})
    endif()
    message(FATAL_ERROR "Packaging stopped, nothing was shipped: signing ${name} failed\n${output}")
  endif()
  file(RENAME ${binary}.signed ${binary})
endforeach()
if(NOT test_identity)
  file(REMOVE ${pass})
endif()

execute_process(COMMAND ${NICFW_OPENSSL} x509 -in ${NICFW_SIGNING_DIR}/signer.pem -noout -subject
                OUTPUT_VARIABLE subject OUTPUT_STRIP_TRAILING_WHITESPACE)
if(test_identity)
  set(note
      "Signature\n---------\nKelvor.exe, Tamsel.dll and the other programs here are signed with a\n"
      "THROWAWAY TEST CERTIFICATE that the build made for itself:\n  ${subject}\n"
      "No Windows trusts it: this package is for testing only, not a release.\n")
else()
  set(note "Signature\n---------\nThe programs and the library here are signed by\n  ${subject}\n")
endif()
string(APPEND note "SHA256SUMS lists the SHA-256 checksum of every other file of the package.\n")
list(JOIN note "" note)
string(REPLACE "\n" "\r\n" note "\r\n${note}")
file(APPEND ${NICFW_PACKAGE_ROOT}/README.txt "${note}")

# Last, so that the sums cover the signed binaries and the final README.
file(GLOB_RECURSE files RELATIVE ${NICFW_PACKAGE_ROOT} LIST_DIRECTORIES false ${NICFW_PACKAGE_ROOT}/*)
list(REMOVE_ITEM files SHA256SUMS)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${NICFW_PACKAGE_ROOT}/${file} hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE ${NICFW_PACKAGE_ROOT}/SHA256SUMS "${sums}")
