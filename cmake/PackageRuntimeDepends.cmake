# Read by cpack for each package it makes (CPACK_PROJECT_CONFIG_FILE). The
# Debian package's dependencies on what the program links come from
# dpkg-shlibdeps; two needs it cannot see are added here, each found through
# the file the program uses on the packaging machine, so that the package
# names and versions are Debian's own rather than a hand-kept list:
# - the Firebird client library, which the driver loads by name at run time
#   (never linked): the package owning that name in the multiarch library
#   folder, at least at the version its symbols file gives for the one entry
#   point the driver resolves (what dpkg-shlibdeps would give were it linked);
# - the font the log shows Big5 text in: the package owning the file of that
#   family, which must cover Traditional Chinese.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

# owning_package(VAR PATH_PATTERN): the one package holding the path.
function(owning_package var pattern)
  execute_process(COMMAND dpkg-query --search "${pattern}"
    OUTPUT_VARIABLE owners RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR owners STREQUAL "")
    message(FATAL_ERROR "no installed package holds ${pattern}; install it (scripts/install-deps.sh) before packaging")
  endif()
  # Lines "package[:arch][, package...]: path".
  string(REGEX REPLACE ": [^\n]*" "" names "${owners}")
  string(REGEX REPLACE "(, |\n)" ";" names "${names}")
  list(REMOVE_DUPLICATES names)
  list(LENGTH names count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "more than one package holds ${pattern}: ${owners}")
  endif()
  set(${var} ${names} PARENT_SCOPE)
endfunction()

owning_package(client_package "*/${CPACK_CORVANTIS_LIBRARY_ARCHITECTURE}/${CPACK_CORVANTIS_CLIENT_LIBRARY}")
execute_process(COMMAND dpkg-query --control-show ${client_package} symbols
  OUTPUT_VARIABLE client_symbols RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0
   OR NOT client_symbols MATCHES "\n ${CPACK_CORVANTIS_CLIENT_ENTRY}@Base ([^ \n]+)")
  message(FATAL_ERROR "the symbols file of ${client_package} names no ${CPACK_CORVANTIS_CLIENT_ENTRY}")
endif()
set(client_depends "${client_package} (>= ${CMAKE_MATCH_1})")

execute_process(COMMAND fc-list ":family=${CPACK_CORVANTIS_BIG5_FONT}:lang=zh-tw" file
  OUTPUT_VARIABLE font_files RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REGEX MATCH "^[^:\n]+" font_file "${font_files}")
if(NOT status EQUAL 0 OR font_file STREQUAL "")
  message(FATAL_ERROR "no font \"${CPACK_CORVANTIS_BIG5_FONT}\" covering Traditional Chinese is installed (fc-list)")
endif()
owning_package(font_package "${font_file}")

# Dependencies name packages without their architecture (libfbclient2:amd64).
string(REGEX REPLACE ":[a-z0-9]+ " " " client_depends "${client_depends}")
string(REGEX REPLACE ":[a-z0-9]+$" "" font_package "${font_package}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${client_depends}, ${font_package}")
