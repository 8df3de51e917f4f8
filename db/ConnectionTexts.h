// Every text the connection, its settings and the trace monitor show users.
// The driver error texts and their status table live in DriverError.cpp.
#pragma once

namespace texts {

constexpr const char* ConnectionNameMissing = "Connection name missing";
constexpr const char* RegistryFileNotFound = "Driver/Connection Registry File '%s' not found";
constexpr const char* MissingDriverName = "Missing DriverName property";
constexpr const char* LibraryNameNotSet = "DLL/Shared Library Name not Set";  // raised with the component's name
constexpr const char* MissingDatabase = "Missing Database property";
constexpr const char* UnableToLoad = "Unable to Load %s";
constexpr const char* UnableToFindProcedure = "Unable to Find Procedure %s";
constexpr const char* InvalidDataType = "Invalid data type for '%s'";
constexpr const char* NotAnInteger = "'%s' is not a valid integer value";

}  // namespace texts
