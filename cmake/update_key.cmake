# Which key update.dll trusts.
#
# Every build has a development key pair of its own, made into the build tree
# when it is first configured; the tests and the demonstration sign their
# packages with it, and a development build trusts it. A release trusts only
# the maker's public key (VARNOK_UPDATE_PUBLIC_KEY), whose private half never
# enters the repository or the build tree, and refuses to configure without it.
option(VARNOK_RELEASE "A build to give to users: update.dll trusts only the maker's key" OFF)
set(VARNOK_UPDATE_PUBLIC_KEY "" CACHE FILEPATH
    "The maker's public key, which update.dll checks packages with (a release needs it)")

set(VARNOK_DEVELOPMENT_KEY ${PROJECT_BINARY_DIR}/keys/development.key)
set(VARNOK_DEVELOPMENT_PUBLIC_KEY ${PROJECT_BINARY_DIR}/keys/development.pub)
if(NOT EXISTS ${VARNOK_DEVELOPMENT_KEY} OR NOT EXISTS ${VARNOK_DEVELOPMENT_PUBLIC_KEY})
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/keys)
  execute_process(
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make_update_key.py --development
            ${VARNOK_DEVELOPMENT_KEY} ${VARNOK_DEVELOPMENT_PUBLIC_KEY}
    RESULT_VARIABLE made)
  if(NOT made EQUAL 0)
    message(FATAL_ERROR "Could not make the development update key in ${PROJECT_BINARY_DIR}/keys.")
  endif()
endif()

include(${PROJECT_SOURCE_DIR}/cmake/release_key.cmake)
if(VARNOK_RELEASE)
  varnok_check_release_key("${VARNOK_UPDATE_PUBLIC_KEY}" ${VARNOK_DEVELOPMENT_PUBLIC_KEY})
  set(VARNOK_TRUSTED_KEY ${VARNOK_UPDATE_PUBLIC_KEY})
elseif(VARNOK_UPDATE_PUBLIC_KEY)
  set(VARNOK_TRUSTED_KEY ${VARNOK_UPDATE_PUBLIC_KEY})
else()
  set(VARNOK_TRUSTED_KEY ${VARNOK_DEVELOPMENT_PUBLIC_KEY})
endif()
message(STATUS "update.dll trusts packages signed for ${VARNOK_TRUSTED_KEY}")
