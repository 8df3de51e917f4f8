// Loading a shared library by file name and finding an exported function by
// name. Libraries are never unloaded: the driver's objects and the trace
// callback's caller must stay valid for the life of the process.
#pragma once

#include <string>

namespace dbv {

using LibraryHandle = void*;

// Null when the library cannot be loaded. A name without a path separator is
// found by the system's library search; with one, it is used as a path.
LibraryHandle loadLibrary(const std::string& fileName);

// Null when the library exports no function of that name.
void* findFunction(LibraryHandle library, const std::string& name);

// The system's reason for the last failure of either call (for diagnostics only).
std::string lastLoaderError();

}  // namespace dbv
