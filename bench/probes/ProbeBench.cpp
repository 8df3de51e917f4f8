// 1000 catalogue probes through the driver, in one attachment, against
// isql-fb running the same 1000 statements from one input file on the same
// server in the same run.
//
// A probe is what the program does for each table or column it asks about:
// prepare, execute, fetch the first row, release the cursor and the command.
// isql-fb's time includes its own start and attach, so that is measured as
// well, with an input file holding no statement, and shown beside the ratios.
//
// isql-fb runs twice: all its queries in one transaction (the goal to reach),
// and with a COMMIT after each query (the same transactions as a driver that
// starts and commits one per probe). Starting and committing a transaction
// that may write costs page writes, so every run is made with the database's
// forced (synchronous) writes on, as a production database has them, and off,
// where only the round trips and the work of both sides count.
//
// The machine is shared: each measurement is repeated, the driver running
// first in one repeat and last in the next so that the order favours no side,
// and the fastest time of each side is kept.
//
// Usage: ProbeBench [probe count] [repeats]   (default 1000 and 3)
// The server and credentials come from the CORVANTIS_FB_* settings.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DriverContract.h"
#include "FirebirdTestServer.h"
#include "LibraryLoader.h"

namespace {

using corvantis::test::CommandOutput;
using corvantis::test::firebirdServer;
using corvantis::test::runIsql;
using corvantis::test::ScratchDatabase;
using Clock = std::chrono::steady_clock;

constexpr int kTables = 20;

std::string tableName(int i) { return "BENCH_T" + std::to_string(i); }

// Half the probes ask for tables that exist, half for columns, and a third of
// each finds nothing: the mix of an upgrade run.
std::vector<std::string> probeTexts(int count) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    const std::string table = tableName(i % 3 == 2 ? kTables + i : i % kTables);
    if (i % 2 == 0) {
      texts.push_back("SELECT * FROM RDB$RELATIONS \r\n WHERE RDB$RELATION_NAME = '" + table + "'\r\n");
    } else {
      texts.push_back("SELECT * FROM RDB$RELATION_FIELDS \r\nWHERE RDB$RELATION_NAME = '" + table +
                      "'\r\nAND RDB$FIELD_NAME = 'QTY'\r\n");
    }
  }
  return texts;
}

[[noreturn]] void stop(const std::string& why) {
  std::fprintf(stderr, "ProbeBench: %s\n", why.c_str());
  std::exit(1);
}

std::string errorOf(dbv::ISQLCommand* command) {
  std::uint16_t length = 0;
  if (dbv::failed(command->getErrorMessageLen(&length)) || length == 0) return "(no message)";
  std::string text(length + 1u, '\0');
  command->getErrorMessage(text.data());
  text.resize(length);
  return text;
}

struct DriverObjects {
  dbv::ISQLDriver* driver;
  dbv::ISQLConnection* connection;
};

DriverObjects connectThroughDriver(const std::string& database) {
  const std::string library = std::string(CORVANTIS_BIN_DIR) + "/libdbvfb.so";
  const auto entry = reinterpret_cast<dbv::GetDriverProc>(
      dbv::findFunction(dbv::loadLibrary(library), "getSQLDriverFIREBIRD"));
  if (entry == nullptr) stop("cannot load " + library + ": " + dbv::lastLoaderError());
  dbv::ISQLDriver* driver = nullptr;
  if (dbv::failed(entry("libfbclient.so.2", "", &driver))) stop("the driver refuses libfbclient.so.2");
  dbv::ISQLConnection* connection = nullptr;
  if (dbv::failed(driver->getSQLConnection(&connection))) stop("no connection object");
  connection->setOption(dbv::connopt::SqlDialect, 3);  // as the program's settings give it
  connection->setOption(dbv::connopt::WaitOnLocks, 1);
  if (dbv::failed(connection->connect(database.c_str(), firebirdServer().user.c_str(),
                                      firebirdServer().password.c_str()))) {
    stop("cannot connect to " + database);
  }
  return {driver, connection};
}

// Returns the rows found, so that both sides can be checked to agree.
int probeThroughDriver(dbv::ISQLConnection* connection, const std::vector<std::string>& texts) {
  int found = 0;
  for (const std::string& text : texts) {
    dbv::ISQLCommand* command = nullptr;
    if (dbv::failed(connection->getSQLCommand(&command))) stop("no command object");
    command->setOption(dbv::cmdopt::RowsetSize, 20);
    if (dbv::failed(command->prepare(text.c_str(), 0))) stop("prepare failed: " + errorOf(command));
    dbv::ISQLCursor* cursor = nullptr;
    if (dbv::failed(command->execute(&cursor)) || cursor == nullptr) stop("execute failed: " + errorOf(command));
    const dbv::SQLResult fetched = cursor->next();
    if (fetched == dbv::kSuccess) {
      ++found;
    } else if (dbv::statusOf(fetched) != dbv::status::EndOfResult) {
      stop("fetch failed");
    }
    cursor->release();
    command->release();
  }
  return found;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The fastest of several timings of one side.
struct Fastest {
  double ms = 0;
  void add(double measured) { ms = ms == 0 ? measured : std::min(ms, measured); }
};

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  if (count <= 0 || repeats <= 0) stop("the probe count and the repeats must be positive");
  if (!corvantis::test::serverIsUp()) {
    stop("no Firebird server answers on " + firebirdServer().host + "; start it with scripts/fb-server-start.sh");
  }
  const ScratchDatabase database = ScratchDatabase::onServer("probe-bench");
  if (!database.created()) stop("cannot create the database:\n" + database.createOutput());
  std::string schema;
  for (int i = 0; i < kTables; ++i) schema += "CREATE TABLE " + tableName(i) + " (ID INTEGER, QTY DOUBLE PRECISION);\n";
  if (runIsql(schema + "COMMIT;\n", database.connectionString()).exitCode != 0) stop("cannot create the tables");

  const std::vector<std::string> texts = probeTexts(count);
  std::string oneTransaction;
  std::string commitEach;
  for (const std::string& text : texts) {
    oneTransaction += text + ";\n";
    commitEach += text + ";\nCOMMIT;\n";
  }
  const auto timedIsql = [&](const std::string& script) {
    const Clock::time_point start = Clock::now();
    const CommandOutput isql = runIsql(script, database.connectionString());
    const double ms = millisecondsSince(start);
    if (isql.exitCode != 0) stop("isql-fb failed:\n" + isql.text.substr(0, 2000));
    return ms;
  };

  const DriverObjects objects = connectThroughDriver(database.connectionString());
  probeThroughDriver(objects.connection, probeTexts(10));  // the first prepares warm the server's metadata cache
  std::printf("probes: %d, %d repeats, the fastest of each kept; isql-fb's own start and attach included in its time\n",
              count, repeats);
  for (const bool forcedWrites : {true, false}) {
    if (!forcedWrites) {
      const CommandOutput gfix =
          corvantis::test::runWithCredentials("gfix -write async " + corvantis::test::shellQuoted(database.connectionString()));
      if (gfix.exitCode != 0) stop("gfix failed:\n" + gfix.text);
    }
    Fastest driver, isqlOne, isqlEach, isqlStart;
    int driverFound = 0;
    for (int repeat = 0; repeat < repeats; ++repeat) {
      const auto driverRun = [&] {
        const Clock::time_point start = Clock::now();
        driverFound = probeThroughDriver(objects.connection, texts);
        driver.add(millisecondsSince(start));
      };
      if (repeat % 2 == 0) driverRun();
      isqlOne.add(timedIsql(oneTransaction));
      isqlEach.add(timedIsql(commitEach));
      if (repeat % 2 != 0) driverRun();
      isqlStart.add(timedIsql(""));
    }

    std::printf("\nforced writes %s (%d probes found a row)\n", forcedWrites ? "on, as created" : "off", driverFound);
    std::printf("  driver, one attachment:           %8.1f ms  (%.3f ms a probe)\n", driver.ms, driver.ms / count);
    std::printf("  isql-fb, one transaction:         %8.1f ms\n", isqlOne.ms);
    std::printf("  isql-fb, a commit after each:     %8.1f ms\n", isqlEach.ms);
    std::printf("  isql-fb's start and attach alone: %8.1f ms\n", isqlStart.ms);
    std::printf("  ratio driver / isql-fb one transaction: %6.2f\n", driver.ms / isqlOne.ms);
    std::printf("  ratio driver / isql-fb commit each:     %6.2f\n", driver.ms / isqlEach.ms);
  }
  objects.connection->disconnect();
  objects.connection->release();
  objects.driver->release();
  return 0;
}
