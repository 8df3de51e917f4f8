# The built-in connection parameters are the [Quintara] section of the shipped
# connection registry template. Its bytes are compiled into the target as
# kConnectionTemplate (ConnectionTemplate.h in the build tree), which the
# program reads with its own INI reader: the template stays the one source.
#   corvantis_connection_template(corvantis_db)
function(corvantis_connection_template target)
  set(template ${PROJECT_SOURCE_DIR}/scripts/templates/dbvconnections.ini)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template})
  file(READ ${template} hex HEX)
  # Every byte as an escape, sixteen to a line: nothing is re-encoded.
  string(REGEX REPLACE "(................................)" "\\1|" lines "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${lines}")
  string(REPLACE "|" "\"\n    \"" escaped "${escaped}")
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/generated/${target})
  file(CONFIGURE OUTPUT ${dir}/ConnectionTemplate.h CONTENT [=[
// Generated from scripts/templates/dbvconnections.ini; edit that file.
#pragma once

#include <string_view>

inline constexpr std::string_view kConnectionTemplate =
    "@escaped@";
]=] @ONLY)
  target_include_directories(${target} PRIVATE ${dir})
endfunction()
