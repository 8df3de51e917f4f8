// Keeps the process's own answer to SIGINT and SIGTERM across a call into the
// Firebird client. The client installs handlers of its own for both when it
// attaches; they shut the client down and let the process run on, so the
// program could no longer be stopped or ended from outside. Every
// statement commits on its own, so ending the process at any moment loses
// nothing: the server rolls back the one statement that was open.
#pragma once

#ifndef _WIN32
#include <signal.h>
#endif

namespace dbvfb {

class SignalDispositionsKept {
 public:
  SignalDispositionsKept() noexcept;
  ~SignalDispositionsKept();
  SignalDispositionsKept(const SignalDispositionsKept&) = delete;
  SignalDispositionsKept& operator=(const SignalDispositionsKept&) = delete;

 private:
#ifndef _WIN32
  struct sigaction interrupt_ {};
  struct sigaction terminate_ {};
#endif
};

}  // namespace dbvfb
