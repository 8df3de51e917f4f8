// The attachment and transaction parameter blocks, built with the client's own
// builder from the connection's settings.
#pragma once

#include <string>
#include <vector>

#include "ClientLibrary.h"
#include "ConnectionSettings.h"

namespace dbvfb {

using ParameterBlock = std::vector<unsigned char>;

ParameterBlock attachmentBlock(const ClientApi& api, const ConnectionSettings& settings, const std::string& userName,
                               const std::string& password);

ParameterBlock transactionBlock(const ClientApi& api, const ConnectionSettings& settings);

// "read committed, wait" and the like, for trace texts.
std::string describeTransaction(const ConnectionSettings& settings);

}  // namespace dbvfb
