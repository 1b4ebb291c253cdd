# Authenticode signatures on what the installer ships.
#
# The programs are built unsigned, so that two builds of one commit give the
# same bytes (scripts/reproduce); signing is a step after it. With
# VARNOK_CODE_SIGNING on, osslsigncode signs the four programs with the
# maker's code-signing certificate and key, the installer is made from the
# signed programs, and is signed last. The signing time is the commit's (or
# SOURCE_DATE_EPOCH), so a signed release is the same bytes again for the same
# key; `osslsigncode remove-signature` gives back the unsigned programs. The
# maker's key is kept offline, like the update key, and never enters the
# repository or the build tree; the tests sign with a certificate made for them.
option(VARNOK_CODE_SIGNING "Sign the shipped programs and the installer (Authenticode, osslsigncode)" OFF)
set(VARNOK_CODE_SIGNING_CERT "" CACHE FILEPATH "The maker's code-signing certificate, with its chain (PEM)")
set(VARNOK_CODE_SIGNING_KEY "" CACHE FILEPATH "The private key of that certificate (PEM), kept offline")
set(VARNOK_TIMESTAMP_URL "" CACHE STRING "A time server (RFC 3161) that countersigns each signature, if any")

set(VARNOK_SIGNED_DIR ${PROJECT_BINARY_DIR}/signed)
if(VARNOK_CODE_SIGNING)
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "A signed release needs osslsigncode, which is not installed (scripts/setup installs it).")
  endif()
  include(${PROJECT_SOURCE_DIR}/cmake/code_signing_check.cmake)
  varnok_check_code_signing("${VARNOK_CODE_SIGNING_CERT}" "${VARNOK_CODE_SIGNING_KEY}" ${PROJECT_SOURCE_DIR})
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  execute_process(COMMAND ${Python3_EXECUTABLE} -c
                    "import sys; sys.path.insert(0, sys.argv[1]); import release_date; print(release_date.moment(sys.argv[2]))"
                    ${PROJECT_SOURCE_DIR}/tools ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE VARNOK_SIGNING_TIME OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE found)
  if(NOT found EQUAL 0)
    message(FATAL_ERROR "Could not tell the commit's time to sign with.")
  endif()
  set(VARNOK_TIMESTAMP_ARGUMENTS "")
  if(VARNOK_TIMESTAMP_URL)
    set(VARNOK_TIMESTAMP_ARGUMENTS -ts ${VARNOK_TIMESTAMP_URL})
  endif()
  message(STATUS "The release is signed with ${VARNOK_CODE_SIGNING_CERT}")
endif()

# The command that signs `in` into `out` (a list for add_custom_command).
function(varnok_sign_command in out result)
  set(${result}
    ${OSSLSIGNCODE} sign -certs ${VARNOK_CODE_SIGNING_CERT} -key ${VARNOK_CODE_SIGNING_KEY}
      -n "Varnok Scan" -i http://www.varnok.com/ -h sha256 -time ${VARNOK_SIGNING_TIME}
      ${VARNOK_TIMESTAMP_ARGUMENTS} -in ${in} -out ${out}
    PARENT_SCOPE)
endfunction()

# The file of a shipped target (named `name`) as the installer takes it:
# signed when the release is signed.
function(varnok_shipped_file target name result)
  if(VARNOK_CODE_SIGNING)
    set(${result} ${VARNOK_SIGNED_DIR}/${name} PARENT_SCOPE)
  else()
    set(${result} $<TARGET_FILE:${target}> PARENT_SCOPE)
  endif()
endfunction()
