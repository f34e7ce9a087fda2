# Optional code signing of the installer, set when configuring either tree
# (the native tree hands the settings to the Windows tree):
#   -DVORN_SIGN_PKCS12=FILE          certificate and key; empty: no signing
#   -DVORN_SIGN_PASSWORD_FILE=FILE   the PKCS#12 password, read by osslsigncode
#   -DVORN_SIGN_TIMESTAMP_URL=URL    an RFC 3161 timestamp server; empty: none
#   -DVORN_SIGN_CAFILE=FILE          certificates the post-link check trusts,
#                                    for the signer and the timestamp server
# The password itself is never asked for: it would stand in the cache and on
# command lines. Without VORN_SIGN_PKCS12 nothing changes.
set(VORN_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file that signs the installer after linking (empty: unsigned)")
set(VORN_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the PKCS#12 password (empty: none)")
set(VORN_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 timestamp server for the signature (empty: none)")
set(VORN_SIGN_CAFILE "" CACHE FILEPATH
  "Certificates the post-link signature check trusts, signer's and timestamp server's (empty: the signature's own and the system's)")
foreach(secret VORN_SIGN_PASSWORD VORN_SIGN_PASS)
  if(DEFINED ${secret} OR DEFINED CACHE{${secret}})
    unset(${secret} CACHE)
    message(FATAL_ERROR "${secret}: give the password in a file, -DVORN_SIGN_PASSWORD_FILE=FILE "
      "(removed from the cache)")
  endif()
endforeach()
if(VORN_SIGN_PKCS12)
  foreach(file VORN_SIGN_PKCS12 VORN_SIGN_PASSWORD_FILE VORN_SIGN_CAFILE)
    if(${file} AND NOT EXISTS ${${file}})
      message(FATAL_ERROR "${file}: ${${file}} does not exist")
    endif()
  endforeach()
endif()
