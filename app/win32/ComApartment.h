// The single-threaded COM apartment the one thread lives in on Windows. The
// program calls no COM service itself; elsewhere there is nothing to enter.
#pragma once

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();  // leaves the apartment only when entering it succeeded
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  [[maybe_unused]] bool entered_ = false;  // read only where COM exists
};
