#include "ComApartment.h"

#ifdef _WIN32
#include <objbase.h>
#pragma comment(lib, "ole32.lib")

ComApartment::ComApartment() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (entered_) CoUninitialize();
}

#else

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

#endif
