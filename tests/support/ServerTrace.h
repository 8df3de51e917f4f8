// The server's own record of the statements it prepared for one database,
// taken with fbtracemgr while a test runs: what the server received, not what
// the program believes it sent.
#pragma once

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SampleDatabase.h"

namespace sample {

struct PreparedStatement {
  std::string process;  // "path:pid" of the client
  std::string text;     // as the trace shows it: bytes above 0x7F as "?"
};

class ServerTrace {
 public:
  explicit ServerTrace(const SampleDatabase& database) : database_(database.Target()) {
    const std::string databaseFile = database.Path().substr(database.Path().rfind('/') + 1);
    const std::string stem = std::filesystem::temp_directory_path() /
                             ("corvantis-trace-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter()));
    config_ = stem + ".conf";
    output_ = stem + ".out";
    std::ofstream(config_) << "database = %[\\\\/]" << databaseFile
                           << "\n{\n  enabled = true\n  log_statement_prepare = true\n"
                              "  time_threshold = 0\n  max_sql_length = 65535\n}\n";
    name_ = "corvantis" + std::to_string(::getpid()) + "_" + std::to_string(Counter());
    pid_ = ::fork();
    if (pid_ == 0) {
      const int fd = ::open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      // The credentials go through the environment, out of the process list.
      ::setenv("ISC_USER", firebirdServer().user.c_str(), 1);
      ::setenv("ISC_PASSWORD", firebirdServer().password.c_str(), 1);
      ::execlp("fbtracemgr", "fbtracemgr", "-se", ServiceManager().c_str(), "-start", "-name", name_.c_str(),
               "-config", config_.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // The session exists once fbtracemgr has announced it.
    for (int i = 0; i < 100 && sessionId_.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      const std::string text = Output();
      const std::string marker = "Trace session ID ";
      const std::size_t at = text.find(marker);
      if (at != std::string::npos && text.find(" started", at) != std::string::npos) {
        sessionId_ = text.substr(at + marker.size(), text.find(' ', at + marker.size()) - at - marker.size());
      }
    }
    if (sessionId_.empty()) {
      Stop();
      throw std::runtime_error("the trace session did not start:\n" + Output());
    }
  }
  ServerTrace(const ServerTrace&) = delete;
  ServerTrace& operator=(const ServerTrace&) = delete;
  ~ServerTrace() {
    Stop();
    std::remove(config_.c_str());
    std::remove(output_.c_str());
  }

  // Ends the session and returns the prepared statements in the order the
  // server saw them. The server hands events to fbtracemgr with a delay and
  // drops what is undelivered when the session stops, so a marker statement
  // is sent last and the session stopped only once the marker has arrived.
  std::vector<PreparedStatement> Finish() {
    const std::string marker = "corvantis trace end " + name_;
    corvantis::test::runIsql("SELECT '" + marker + "' FROM RDB$DATABASE;\n", database_);
    for (int i = 0; i < 200 && Output().find(marker) == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Stop();
    return Parse(Output());
  }

  // The whole trace as fbtracemgr printed it, for failure messages.
  std::string Output() const {
    std::ifstream in(output_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  static int& Counter() {
    static int counter = 0;
    return counter;
  }
  static std::string ServiceManager() { return firebirdServer().host + ":service_mgr"; }

  void Stop() {
    if (pid_ <= 0) return;
    if (!sessionId_.empty()) {
      corvantis::test::runWithCredentials("fbtracemgr -se " + shellQuoted(ServiceManager()) + " -stop -id " +
                                          sessionId_);
    }
    // fbtracemgr ends by itself once its session stops; give it a moment.
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // An event: a header line "<time> (<server>) PREPARE_STATEMENT", the
  // attachment, the client process, the transaction, a blank line,
  // "Statement N:", a rule of dashes, the text, then a line "<n> ms".
  // The text keeps its own line ends; the trace adds one "\n" after it.
  static std::vector<PreparedStatement> Parse(const std::string& output) {
    std::vector<PreparedStatement> statements;
    const std::string rule = "\n-------------------------------------------------------------------------------\n";
    std::size_t at = 0;
    while ((at = output.find(") PREPARE_STATEMENT\n", at)) != std::string::npos) {
      const std::size_t attachment = output.find('\n', at) + 1;
      const std::size_t process = output.find('\n', attachment) + 1;
      const std::size_t processEnd = output.find('\n', process);
      PreparedStatement statement;
      statement.process = output.substr(process + 1, processEnd - process - 1);  // after the tab
      const std::size_t text = output.find(rule, processEnd) + rule.size();
      std::size_t end = text;
      for (;;) {  // the first line that is blanks, a number and " ms"
        const std::size_t lineEnd = output.find('\n', end);
        const std::string line = output.substr(end, lineEnd - end);
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.size() > 3 && line.compare(line.size() - 3, 3, " ms") == 0 &&
            line.find_first_not_of("0123456789", first) == line.size() - 3) {
          break;
        }
        if (lineEnd == std::string::npos) break;
        end = lineEnd + 1;
      }
      statement.text = output.substr(text, end > text ? end - text - 1 : 0);
      statements.push_back(std::move(statement));
      at = end;
    }
    return statements;
  }

  std::string database_;
  std::string config_;
  std::string output_;
  std::string name_;
  std::string sessionId_;
  pid_t pid_ = -1;
};

}  // namespace sample
