# The public keys whose signatures on "file.json" the program accepts, turned
# into a header (generated/trusted_manifest_keys.h) that platform/ compiles in.
# openssl reads the key files: any SubjectPublicKeyInfo in PEM, as
# `openssl pkey -pubout` or `manifest-tool keygen` write them.

set(DOWNLOADER_MANIFEST_KEYS "" CACHE STRING
    "Public keys (PEM SubjectPublicKeyInfo files, ';'-separated) whose signatures on file.json the program accepts")
option(DOWNLOADER_UNSIGNED_MANIFESTS
       "Accept manifests without a signature (whoever answers for the server then chooses what the program runs)" OFF)
set(DOWNLOADER_DEV_KEYS "" CACHE PATH
    "Folder of a development key pair (manifest.key, manifest.pub) for the tests and the demo; made when absent")

find_program(OPENSSL_COMMAND openssl)

# The DER of P-256 SubjectPublicKeyInfo up to and including the 0x04 that
# starts the uncompressed point; then come X and Y.
set(p256_public_prefix "3059301306072a8648ce3d020106082a8648ce3d03010703420004")
# The DER of an ECPrivateKey on the named curve P-256, up to the private
# number d (32 bytes).
set(p256_private_prefix "307702010104")

# downloader_key_hex(public|private FILE OUT): the key in FILE as hexadecimal:
# X then Y of a public key, d of a private one. A key that is not P-256 stops
# the configuration.
function(downloader_key_hex kind file out)
  if(NOT OPENSSL_COMMAND)
    message(FATAL_ERROR "The openssl command is needed to read manifest keys (scripts/setup.sh installs it)")
  endif()
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "Manifest key ${file} does not exist")
  endif()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated)
  set(der ${CMAKE_BINARY_DIR}/generated/key.der)
  if(kind STREQUAL "public")
    execute_process(COMMAND ${OPENSSL_COMMAND} pkey -pubin -in ${file} -outform DER -out ${der}
                    RESULT_VARIABLE failed ERROR_VARIABLE error)
    set(prefix ${p256_public_prefix})
    set(length 128)
  else()
    execute_process(COMMAND ${OPENSSL_COMMAND} ec -in ${file} -outform DER -out ${der}
                    RESULT_VARIABLE failed ERROR_VARIABLE error)
    set(prefix "${p256_private_prefix}20")
    set(length 64)
  endif()
  if(failed)
    message(FATAL_ERROR "openssl cannot read the ${kind} key ${file}:\n${error}")
  endif()
  file(READ ${der} hex HEX)
  file(REMOVE ${der})
  string(LENGTH "${prefix}" prefix_length)
  string(SUBSTRING "${hex}" 0 ${prefix_length} start)
  if(NOT start STREQUAL prefix)
    message(FATAL_ERROR "${file} is not an ECDSA P-256 ${kind} key")
  endif()
  string(SUBSTRING "${hex}" ${prefix_length} ${length} key)
  set(${out} ${key} PARENT_SCOPE)
endfunction()

# downloader_c_bytes(HEX OUT): "0x12, 0x34, ..." of the hexadecimal text.
function(downloader_c_bytes hex out)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${hex}")
  set(${out} "${bytes}" PARENT_SCOPE)
endfunction()

# A development pair, made once (configures of several presets may run at
# once, hence the lock) and never committed: build/ is ignored.
if(DOWNLOADER_DEV_KEYS)
  file(MAKE_DIRECTORY ${DOWNLOADER_DEV_KEYS})
  file(LOCK ${DOWNLOADER_DEV_KEYS}/.lock GUARD FILE TIMEOUT 60)
  if(NOT EXISTS ${DOWNLOADER_DEV_KEYS}/manifest.pub)
    if(NOT OPENSSL_COMMAND)
      message(FATAL_ERROR "The openssl command is needed to make the development keys (scripts/setup.sh installs it)")
    endif()
    message(STATUS "Making the development manifest keys in ${DOWNLOADER_DEV_KEYS}")
    execute_process(COMMAND ${OPENSSL_COMMAND} genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256
                            -out ${DOWNLOADER_DEV_KEYS}/manifest.key
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${OPENSSL_COMMAND} pkey -in ${DOWNLOADER_DEV_KEYS}/manifest.key -pubout
                            -out ${DOWNLOADER_DEV_KEYS}/manifest.pub
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(LOCK ${DOWNLOADER_DEV_KEYS}/.lock RELEASE)
endif()

set(manifest_key_bytes "")
set(manifest_key_count 0)
set(trusted_key_files ${DOWNLOADER_MANIFEST_KEYS})
if(DOWNLOADER_UNSIGNED_MANIFESTS)
  set(trusted_key_files "")
endif()
foreach(key_file IN LISTS trusted_key_files)
  downloader_key_hex(public ${key_file} hex)
  downloader_c_bytes(${hex} bytes)
  string(APPEND manifest_key_bytes "    {${bytes}},\n")
  math(EXPR manifest_key_count "${manifest_key_count} + 1")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${key_file})
endforeach()

if(manifest_key_count EQUAL 0 AND NOT DOWNLOADER_UNSIGNED_MANIFESTS)
  message(FATAL_ERROR
    "No manifest keys: set DOWNLOADER_MANIFEST_KEYS to the public key file(s) whose signatures on file.json the "
    "program accepts (manifest-tool keygen makes a pair), or set DOWNLOADER_UNSIGNED_MANIFESTS=ON to accept "
    "unsigned manifests, which lets whoever answers for the server choose the program the downloader runs as "
    "administrator.")
endif()
if(DOWNLOADER_UNSIGNED_MANIFESTS)
  # A placeholder: an array cannot be empty.
  set(manifest_key_bytes "    {0},\n")
  message(WARNING "DOWNLOADER_UNSIGNED_MANIFESTS=ON: manifests are not verified, DOWNLOADER_MANIFEST_KEYS is ignored")
endif()

file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/trusted_manifest_keys.h CONTENT
"#pragma once
// Generated by CMake from DOWNLOADER_MANIFEST_KEYS: the public keys (X then Y
// of P-256) whose signatures on \"file.json\" the program accepts. No key:
// the build accepts unsigned manifests (DOWNLOADER_UNSIGNED_MANIFESTS).

#define DOWNLOADER_MANIFEST_KEY_COUNT ${manifest_key_count}

static const unsigned char kManifestKeys[][64] = {
${manifest_key_bytes}};
" @ONLY)
