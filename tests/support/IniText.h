// INI text for tests: a section header and its lines, each ended by CR LF.
#pragma once

#include <string>
#include <vector>

namespace support {

inline std::string IniSection(const std::string& name, const std::vector<std::string>& lines) {
  std::string text = "[" + name + "]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The fourteen lines the window's layout carries, as a connection registry
// file would hold them to give the same configuration.
inline std::vector<std::string> BuiltInConnectionLines() {
  return {"DriverName=Firebird",
          "Database=localhost:/opt/firebird/data/EMPTY/POSDATA.GDB",
          "RoleName=RoleName",
          "User_Name=SYSDBA",
          "Password=tessaric",
          "ServerCharSet=",
          "SQLDialect=3",
          "BlobSize=-1",
          "CommitRetain=False",
          "WaitOnLocks=True",
          "ErrorResourceFile=",
          "LocaleCode=0000",
          "Firebird TransIsolation=ReadCommited",
          "Trim Char=False"};
}

}  // namespace support
