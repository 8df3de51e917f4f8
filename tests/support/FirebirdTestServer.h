// The real Firebird server of the integration tests, as scripts/fb-server-start.sh
// runs it, and scratch databases on it. Settings come from the environment:
//
//   CORVANTIS_FB_HOST      host/port in the client's form (default "127.0.0.1/3051")
//   CORVANTIS_FB_USER      default "SYSDBA"
//   CORVANTIS_FB_PASSWORD  default "masterkey"
//   CORVANTIS_FB_DATADIR   folder the server's user writes (default "/tmp/corvantis-fb")
//   CORVANTIS_NO_SERVER=1  tests that need the server skip instead of failing
//
// Statements go to isql-fb through a file, never a pipe: isql-fb drops bytes
// above 0x7F that it reads from a pipe. The credentials reach it through its
// environment, so they never show in a process list.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

namespace corvantis::test {

inline std::string environmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

struct FirebirdServer {
  std::string host = environmentOr("CORVANTIS_FB_HOST", "127.0.0.1/3051");
  std::string user = environmentOr("CORVANTIS_FB_USER", "SYSDBA");
  std::string password = environmentOr("CORVANTIS_FB_PASSWORD", "masterkey");
  std::string dataDir = environmentOr("CORVANTIS_FB_DATADIR", "/tmp/corvantis-fb");

  // The connection string of a database file on this server.
  std::string address(const std::string& path) const { return host + ":" + path; }
};

inline const FirebirdServer& firebirdServer() {
  static const FirebirdServer server;
  return server;
}

inline bool serverChecksSkipped() { return environmentOr("CORVANTIS_NO_SERVER", "") == "1"; }

// A text between single quotes, for the shell and for SQL alike.
inline std::string singleQuoted(const std::string& text, const std::string& escapedQuote) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += escapedQuote;
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}
inline std::string shellQuoted(const std::string& text) { return singleQuoted(text, "'\\''"); }
inline std::string sqlQuoted(const std::string& text) { return singleQuoted(text, "''"); }

struct CommandOutput {
  int exitCode = -1;
  std::string text;  // stdout and stderr together
};

// Runs a shell command with the server's credentials in its environment.
inline CommandOutput runWithCredentials(const std::string& command) {
  const FirebirdServer& server = firebirdServer();
  const std::string line = "ISC_USER=" + shellQuoted(server.user) + " ISC_PASSWORD=" + shellQuoted(server.password) +
                           " " + command + " 2>&1";
  CommandOutput output;
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return output;
  std::array<char, 4096> chunk;
  std::size_t got;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) output.text.append(chunk.data(), got);
  const int status = pclose(pipe);
  output.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

// True when the server answers and takes the password.
inline bool serverIsUp() {
  const FirebirdServer& server = firebirdServer();
  return runWithCredentials("fbsvcmgr " + shellQuoted(server.host + ":service_mgr") + " info_server_version")
             .exitCode == 0;
}

// Runs an isql-fb script file; with a database, isql-fb connects to it first.
inline CommandOutput runIsqlFile(const std::filesystem::path& script, const std::string& database = "") {
  std::string command = "isql-fb -q -b -i " + shellQuoted(script.string());
  if (!database.empty()) {
    command += ' ';
    command += shellQuoted(database);
  }
  return runWithCredentials(command);
}

// Writes the script bytes to a temporary file, runs it and removes the file.
inline CommandOutput runIsql(const std::string& script, const std::string& database = "") {
  char name[] = "/tmp/corvantis-isql-XXXXXX";
  const int descriptor = mkstemp(name);
  if (descriptor < 0) return {};
  close(descriptor);
  {
    std::ofstream file(name, std::ios::binary);
    file << script;
  }
  CommandOutput output = runIsqlFile(name, database);
  std::filesystem::remove(name);
  return output;
}

// A database created for one test or suite and dropped when it goes. On the
// server it lives in CORVANTIS_FB_DATADIR; an embedded one lives in a fresh
// folder of its own, opened by this process's embedded engine.
class ScratchDatabase {
 public:
  static ScratchDatabase onServer(const std::string& name) {
    const FirebirdServer& server = firebirdServer();
    return ScratchDatabase(server.address(server.dataDir + "/" + uniqueName(name)), "");
  }

  static ScratchDatabase embedded(const std::string& name) {
    char folder[] = "/tmp/corvantis-embedded-XXXXXX";
    const char* made = mkdtemp(folder);
    const std::string path = made != nullptr ? std::string(made) + "/" + name + ".fdb" : "";
    return ScratchDatabase(path, made != nullptr ? made : "");
  }

  ScratchDatabase(ScratchDatabase&& other) noexcept
      : connectionString_(std::move(other.connectionString_)),
        folder_(std::move(other.folder_)),
        createOutput_(std::move(other.createOutput_)),
        created_(std::exchange(other.created_, false)) {}
  ScratchDatabase& operator=(ScratchDatabase&&) = delete;
  ~ScratchDatabase() {
    if (created_) runIsql("DROP DATABASE;\n", connectionString_);
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }

  bool created() const { return created_; }
  const std::string& createOutput() const { return createOutput_; }
  // The database in the form the driver's connect call takes.
  const std::string& connectionString() const { return connectionString_; }

 private:
  ScratchDatabase(std::string connectionString, std::string folder)
      : connectionString_(std::move(connectionString)), folder_(std::move(folder)) {
    const FirebirdServer& server = firebirdServer();
    const CommandOutput output =
        runIsql("CREATE DATABASE " + sqlQuoted(connectionString_) + " USER " + sqlQuoted(server.user) +
                " PASSWORD " + sqlQuoted(server.password) + " PAGE_SIZE 8192;\n");
    createOutput_ = output.text;
    created_ = output.exitCode == 0;
  }

  static std::string uniqueName(const std::string& name) {
    return name + "-" + std::to_string(getpid()) + "-" + std::to_string(counter()++) + ".fdb";
  }
  static int& counter() {
    static int next = 0;
    return next;
  }

  std::string connectionString_;
  std::string folder_;
  std::string createOutput_;
  bool created_ = false;
};

}  // namespace corvantis::test

// In a test body or SetUp: fails with a clear message when the server is not
// up, or skips when CORVANTIS_NO_SERVER=1.
#define CORVANTIS_REQUIRE_FB_SERVER()                                                                        \
  do {                                                                                                       \
    if (corvantis::test::serverChecksSkipped()) GTEST_SKIP() << "CORVANTIS_NO_SERVER=1: no Firebird server"; \
    if (!corvantis::test::serverIsUp()) {                                                                    \
      FAIL() << "no Firebird server answers on " << corvantis::test::firebirdServer().host                  \
             << " with the configured user and password; start it with scripts/fb-server-start.sh";        \
    }                                                                                                        \
  } while (false)
