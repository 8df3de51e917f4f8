// What a failed client call's status vector says about the connection: that
// the server was never reached, or that the connection the call used is gone.
// Both are read from Firebird's error codes, never from message texts.
#pragma once

#include <firebird/Interface.h>

namespace dbvfb {

// The client's own failure to reach the server (refused, broken, timed out),
// as opposed to the server refusing what it was asked.
bool isNetworkFailure(Firebird::IStatus* status);

// The attachment can serve nothing more: the network is broken, the server or
// the database is shut down, or the attachment was ended from outside.
bool isConnectionLoss(Firebird::IStatus* status);

}  // namespace dbvfb
