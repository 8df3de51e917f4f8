// Marks the one function the driver library exports; everything else stays
// hidden behind it.
#pragma once

#ifdef _WIN32
#define DBVFB_EXPORT __declspec(dllexport)
#else
#define DBVFB_EXPORT __attribute__((visibility("default")))
#endif
