# The public key the program trusts for its updates, made into a header at configure time.
#
# RAVO_UPDATE_PUBLIC_KEY names the maker's RSA public key (PEM) for a release build. Left
# empty, this build tree makes a key pair of its own once, in build/<tree>/update-key/
# (private.pem never leaves that folder), and trusts its public half: the stand-in
# update host and the tests sign with it. Both need openssl at configure time.
set(RAVO_UPDATE_PUBLIC_KEY "" CACHE FILEPATH
    "the maker's RSA public key (PEM) that signs updates; empty: a key pair made for this build tree")
find_program(RAVO_OPENSSL openssl)
if(NOT RAVO_OPENSSL)
  message(FATAL_ERROR "openssl is needed to read (or make) the update signing key")
endif()

function(ravo_openssl)
  execute_process(COMMAND ${RAVO_OPENSSL} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "openssl ${ARGN} failed: ${err}")
  endif()
  set(RAVO_OPENSSL_OUT "${out}" PARENT_SCOPE)
endfunction()

if(RAVO_UPDATE_PUBLIC_KEY)
  set(ravo_public_key "${RAVO_UPDATE_PUBLIC_KEY}")
  set(RAVO_UPDATE_SIGNING_KEY "")
else()
  set(ravo_key_dir ${CMAKE_BINARY_DIR}/update-key)
  set(RAVO_UPDATE_SIGNING_KEY ${ravo_key_dir}/private.pem)
  if(NOT EXISTS ${RAVO_UPDATE_SIGNING_KEY})
    file(MAKE_DIRECTORY ${ravo_key_dir})
    ravo_openssl(genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out ${RAVO_UPDATE_SIGNING_KEY})
  endif()
  set(ravo_public_key ${ravo_key_dir}/public.pem)
  ravo_openssl(pkey -in ${RAVO_UPDATE_SIGNING_KEY} -pubout -out ${ravo_public_key})
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ravo_public_key})

ravo_openssl(rsa -pubin -in ${ravo_public_key} -noout -modulus)
string(REGEX MATCH "Modulus=([0-9A-F]+)" _ "${RAVO_OPENSSL_OUT}")
set(RAVO_UPDATE_KEY_MODULUS "${CMAKE_MATCH_1}")
ravo_openssl(rsa -pubin -in ${ravo_public_key} -noout -text)
string(REGEX MATCH "Exponent: ([0-9]+)" _ "${RAVO_OPENSSL_OUT}")
set(RAVO_UPDATE_KEY_EXPONENT "${CMAKE_MATCH_1}")
string(LENGTH "${RAVO_UPDATE_KEY_MODULUS}" ravo_modulus_digits)
if(ravo_modulus_digits LESS 512 OR NOT RAVO_UPDATE_KEY_EXPONENT)
  message(FATAL_ERROR "${ravo_public_key}: not an RSA public key of at least 2048 bits")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/../src/update/update_key.h.in ${CMAKE_BINARY_DIR}/generated/update_key.h @ONLY)
