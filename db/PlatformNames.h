// The names that differ between Windows and Linux: the built-in driver and
// client library names of the connection, and the directory separator of the
// default INI paths.
#pragma once

namespace platform {

#ifdef _WIN32
constexpr const char* BuiltInDriverLibrary = "dbvfb.dll";
constexpr const char* BuiltInClientLibrary = "fbclient.dll";
constexpr char DirectorySeparator = '\\';
#else
constexpr const char* BuiltInDriverLibrary = "libdbvfb.so";
constexpr const char* BuiltInClientLibrary = "libfbclient.so.2";
constexpr char DirectorySeparator = '/';
#endif

}  // namespace platform
