#include "ComApartment.h"

#include <objbase.h>

ComApartment::ComApartment() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (entered_) CoUninitialize();
}
