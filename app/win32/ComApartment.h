// The single-threaded COM apartment the one thread lives in. The program
// calls no COM service itself.
#pragma once

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();  // leaves the apartment only when entering it succeeded
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool entered_;
};
