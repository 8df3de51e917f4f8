// The cutting driver, bin/libcutdbv.so: a test-only layer over the real driver
// library that loses the program's connection exactly before its statement k
// reaches the server, so that a test can break a run off at any statement and
// the program meets the real server's answer to a connection that is gone.
//
// The program loads it like any driver (LibraryName names it); it loads the
// real driver and hands every call through, counting the statements prepared
// on the program's connection. Set in the environment:
//
//   CORVANTIS_CUT_DRIVER   the real driver library (required)
//   CORVANTIS_CUT_AT       k: the statement to cut before, from 1; 0 or unset
//                          cuts nothing and only counts
//   CORVANTIS_CUT_PHASE    "prepare" (default): before statement k is
//                          prepared; "execute": prepared, before it runs
//   CORVANTIS_CUT_COMMAND  a shell command that makes the cut (stops the
//                          server, or kills the program: its parent is the
//                          program); unset: a second attachment deletes the
//                          program's attachment from MON$ATTACHMENTS
//   CORVANTIS_CUT_REPORT   a file that gets one line per statement prepared,
//                          "statement K: TEXT" (its line ends shown as " | "),
//                          and one for the cut, "cut K PHASE" once made or
//                          "cut failed K: WHY"; a deleted attachment is
//                          preceded by "transactions open at cut K: N", the
//                          program's transactions the server knew then
//
// Everything is read at the entry point, so a process that opens many
// connections (the in-process sweep) may set a new plan before each.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "DriverContract.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

struct CutPlan {
  long cutAt = 0;
  bool beforeExecute = false;
  std::string command;
  std::string report;
  long prepared = 0;  // statements prepared on the program's connection so far

  static CutPlan FromEnvironment() {
    CutPlan plan;
    plan.cutAt = std::strtol(Environment("CORVANTIS_CUT_AT").c_str(), nullptr, 10);
    plan.beforeExecute = Environment("CORVANTIS_CUT_PHASE") == "execute";
    plan.command = Environment("CORVANTIS_CUT_COMMAND");
    plan.report = Environment("CORVANTIS_CUT_REPORT");
    return plan;
  }

  void Report(const std::string& line) const {
    if (report.empty()) return;
    if (FILE* file = std::fopen(report.c_str(), "a")) {
      std::fprintf(file, "%s\n", line.c_str());
      std::fclose(file);
    }
  }
};

// What a second attachment needs to reach the program's database.
struct Login {
  std::string database;
  std::string userName;
  std::string password;
};

// A command on a connection of the real driver, released when it goes.
struct OwnedCommand {
  dbv::ISQLCommand* command = nullptr;
  ~OwnedCommand() {
    if (command != nullptr) command->release();
  }
};

std::string MessageOf(dbv::ISQLCommand* command) {
  std::uint16_t length = 0;
  if (command == nullptr || dbv::failed(command->getErrorMessageLen(&length))) return "no message";
  std::string message(length + 1u, '\0');
  command->getErrorMessage(message.data());
  message.resize(std::strlen(message.c_str()));
  return message;
}

// Runs one statement on a real connection; the driver commits it. Answers an
// empty text on success, else what failed.
std::string Run(dbv::ISQLConnection* connection, const std::string& sql, std::int32_t* rows, long long* firstValue) {
  OwnedCommand owned;
  if (dbv::failed(connection->getSQLCommand(&owned.command))) return "no command";
  if (dbv::failed(owned.command->prepare(sql.c_str(), 0))) return "prepare: " + MessageOf(owned.command);
  dbv::ISQLCursor* cursor = nullptr;
  if (dbv::failed(owned.command->execute(&cursor))) return "execute: " + MessageOf(owned.command);
  std::string failure;
  if (cursor != nullptr) {
    dbv::SQLDecimal value{};
    bool isNull = true;
    if (dbv::failed(cursor->next()) || dbv::failed(cursor->getDecimal(1, &value, &isNull)) || isNull) {
      failure = "no value read";
    } else if (firstValue != nullptr) {
      *firstValue = value.unscaled;
    }
    cursor->release();
  }
  if (rows != nullptr && failure.empty() && dbv::failed(owned.command->getRowsAffected(rows))) failure = "no count";
  return failure;
}

class CutConnection;

class CutCommand final : public dbv::ISQLCommand {
 public:
  CutCommand(CutConnection& connection, dbv::ISQLCommand* real) : connection_(connection), real_(real) {}

  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override { return real_->setOption(option, value); }
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override {
    return real_->getOption(option, value, maxLength, length);
  }
  dbv::SQLResult prepare(const char* sql, std::uint16_t paramCount) override;
  dbv::SQLResult execute(dbv::ISQLCursor** cursor) override;
  dbv::SQLResult executeImmediate(const char* sql, dbv::ISQLCursor** cursor) override {
    return real_->executeImmediate(sql, cursor);
  }
  dbv::SQLResult getRowsAffected(std::int32_t* rows) override { return real_->getRowsAffected(rows); }
  dbv::SQLResult close() override { return real_->close(); }
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override { return real_->getErrorMessageLen(length); }
  dbv::SQLResult getErrorMessage(char* message) override { return real_->getErrorMessage(message); }
  dbv::SQLResult release() override {
    const dbv::SQLResult released = real_->release();
    delete this;
    return released;
  }

 private:
  ~CutCommand() = default;

  CutConnection& connection_;
  dbv::ISQLCommand* real_;
  long statement_ = 0;  // the number of the statement prepared last
};

class CutConnection final : public dbv::ISQLConnection {
 public:
  CutConnection(dbv::ISQLDriver* driver, CutPlan& plan, dbv::ISQLConnection* real)
      : driver_(driver), plan_(plan), real_(real) {}

  dbv::SQLResult connect(const char* database, const char* userName, const char* password) override {
    const dbv::SQLResult connected = real_->connect(database, userName, password);
    if (!dbv::failed(connected)) login_ = {database, userName, password};
    return connected;
  }
  dbv::SQLResult disconnect() override { return real_->disconnect(); }
  dbv::SQLResult getSQLCommand(dbv::ISQLCommand** command) override {
    dbv::ISQLCommand* real = nullptr;
    const dbv::SQLResult obtained = real_->getSQLCommand(&real);
    *command = dbv::failed(obtained) ? nullptr : new CutCommand(*this, real);
    return obtained;
  }
  dbv::SQLResult getSQLMetaData(dbv::ISQLMetaData** metaData) override { return real_->getSQLMetaData(metaData); }
  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override { return real_->setOption(option, value); }
  dbv::SQLResult setStringOption(std::int32_t option, const char* value) override {
    return real_->setStringOption(option, value);
  }
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override {
    return real_->getOption(option, value, maxLength, length);
  }
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override { return real_->getErrorMessageLen(length); }
  dbv::SQLResult getErrorMessage(char* message) override { return real_->getErrorMessage(message); }
  dbv::SQLResult release() override {
    const dbv::SQLResult released = real_->release();
    delete this;
    return released;
  }

  // Numbers the statement about to be prepared.
  long NextStatement(const char* sql) {
    std::string text = sql != nullptr ? sql : "";
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " | ");
    plan_.Report("statement " + std::to_string(++plan_.prepared) + ": " + text);
    return plan_.prepared;
  }

  void CutIfDue(long statement, bool beforeExecute) {
    if (statement != plan_.cutAt || beforeExecute != plan_.beforeExecute) return;
    const std::string failure = plan_.command.empty() ? DeleteAttachment(statement) : RunCommand();
    const char* phase = beforeExecute ? "execute" : "prepare";
    plan_.Report(failure.empty() ? "cut " + std::to_string(statement) + " " + phase
                                 : "cut failed " + std::to_string(statement) + ": " + failure);
  }

 private:
  ~CutConnection() = default;

  std::string RunCommand() const {
    const int status = std::system(plan_.command.c_str());
    return status == 0 ? "" : "the command ended with " + std::to_string(status);
  }

  // Through an attachment of its own, on the real driver and server. The
  // program's attachment is found there by this process's id, not asked for
  // on the program's connection: any statement there would start the
  // driver's kept read-only transaction before the program's first one does.
  std::string DeleteAttachment(long statement) const {
    dbv::ISQLConnection* killer = nullptr;
    if (dbv::failed(driver_->getSQLConnection(&killer))) return "no second connection";
    std::string failure;
    if (dbv::failed(killer->connect(login_.database.c_str(), login_.userName.c_str(), login_.password.c_str()))) {
      failure = "the second attachment was refused";
    } else {
      const std::string program =
          "A.MON$REMOTE_PID = " + std::to_string(::getpid()) + " AND A.MON$ATTACHMENT_ID <> CURRENT_CONNECTION";
      long long open = 0;
      failure = Run(killer,
                    "SELECT COUNT(*) FROM MON$TRANSACTIONS T JOIN MON$ATTACHMENTS A"
                    " ON A.MON$ATTACHMENT_ID = T.MON$ATTACHMENT_ID WHERE " + program,
                    nullptr, &open);
      if (failure.empty()) {
        plan_.Report("transactions open at cut " + std::to_string(statement) + ": " + std::to_string(open));
        std::int32_t rows = 0;
        failure = Run(killer, "DELETE FROM MON$ATTACHMENTS A WHERE " + program, &rows, nullptr);
        if (failure.empty() && rows != 1) failure = std::to_string(rows) + " attachments deleted";
      }
      killer->disconnect();
    }
    killer->release();
    return failure;
  }

  dbv::ISQLDriver* driver_;
  CutPlan& plan_;
  dbv::ISQLConnection* real_;
  Login login_;
};

dbv::SQLResult CutCommand::prepare(const char* sql, std::uint16_t paramCount) {
  statement_ = connection_.NextStatement(sql);
  connection_.CutIfDue(statement_, false);
  return real_->prepare(sql, paramCount);
}

dbv::SQLResult CutCommand::execute(dbv::ISQLCursor** cursor) {
  connection_.CutIfDue(statement_, true);
  return real_->execute(cursor);
}

class CutDriver final : public dbv::ISQLDriver {
 public:
  CutDriver(dbv::ISQLDriver* real, CutPlan plan) : real_(real), plan_(std::move(plan)) {}

  dbv::SQLResult getSQLConnection(dbv::ISQLConnection** connection) override {
    dbv::ISQLConnection* real = nullptr;
    const dbv::SQLResult obtained = real_->getSQLConnection(&real);
    *connection = dbv::failed(obtained) ? nullptr : new CutConnection(real_, plan_, real);
    return obtained;
  }
  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override { return real_->setOption(option, value); }
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override {
    return real_->getOption(option, value, maxLength, length);
  }
  dbv::SQLResult release() override {
    const dbv::SQLResult released = real_->release();
    delete this;
    return released;
  }

 private:
  ~CutDriver() = default;

  dbv::ISQLDriver* real_;
  CutPlan plan_;  // the connections refer to it: they go before the driver
};

}  // namespace

extern "C" __attribute__((visibility("default"))) dbv::SQLResult getSQLDriverFIREBIRD(
    const char* vendorLib, const char* errorResourceFile, dbv::ISQLDriver** driver) {
  *driver = nullptr;
  const std::string realDriver = Environment("CORVANTIS_CUT_DRIVER");
  // Never unloaded, as the program treats its own driver libraries.
  void* library = realDriver.empty() ? nullptr : dlopen(realDriver.c_str(), RTLD_NOW | RTLD_LOCAL);
  auto entry = library != nullptr ? reinterpret_cast<dbv::GetDriverProc>(dlsym(library, "getSQLDriverFIREBIRD"))
                                  : nullptr;
  if (entry == nullptr) return dbv::status::DriverInitFailed;
  dbv::ISQLDriver* real = nullptr;
  const dbv::SQLResult loaded = entry(vendorLib, errorResourceFile, &real);
  if (dbv::failed(loaded)) return loaded;
  *driver = new CutDriver(real, CutPlan::FromEnvironment());
  return dbv::kSuccess;
}
