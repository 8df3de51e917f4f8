// Counts read from the client's information blocks.
#pragma once

#include <firebird/Interface.h>

#include <cstdint>

#include "ClientStatus.h"

namespace dbvfb {

// Rows the last execution inserted, updated and deleted, as the server counts them.
std::uint64_t affectedRecords(Firebird::IStatement* statement, ClientStatus& status);

// The whole length of an open blob in bytes.
std::uint64_t blobLength(Firebird::IBlob* blob, ClientStatus& status);

}  // namespace dbvfb
