#include "DatabaseAddress.h"

#include <cctype>

namespace dbvfb {

bool namesServer(std::string_view database) {
  if (database.find("://") != std::string_view::npos) return true;
  if (database.starts_with("\\\\")) return true;
  if (database.starts_with("/")) return false;  // an absolute local path, whatever follows
  const std::size_t colon = database.find(':');
  if (colon == std::string_view::npos) return false;
  // "C:\data\x.fdb" is a local Windows path, its drive letter no host name.
  if (colon == 1 && std::isalpha(static_cast<unsigned char>(database[0]))) return false;
  return database.substr(0, colon).find('\\') == std::string_view::npos;
}

std::string databaseAddress(std::string_view database, std::string_view hostName, std::string_view serverPort) {
  if (hostName.empty() || namesServer(database)) return std::string(database);
  std::string address(hostName);
  if (!serverPort.empty()) {
    address += '/';
    address += serverPort;
  }
  address += ':';
  address += database;
  return address;
}

}  // namespace dbvfb
