// The connection string handed to the client. A database that names a server
// ("host:path", "host/port:path", "\\host\path", "inet://...") is used as it
// stands; a bare path or alias gets the host name, and the port when one is
// set, in front of it. Without a host name a bare path opens the database with
// the embedded engine.
#pragma once

#include <string>
#include <string_view>

namespace dbvfb {

bool namesServer(std::string_view database);

std::string databaseAddress(std::string_view database, std::string_view hostName, std::string_view serverPort);

}  // namespace dbvfb
