// A run broken off at every statement it sends: the program's attachment is
// deleted just before statement k reaches the real server (before its
// prepare, or prepared and before its execute). The run must end with the
// lost connection's error, never quietly, and one more run must leave the
// database exactly as a single clean run does. Swept for a first run under
// each transaction setting of the connection file, for a second run, and for
// a run that heals tables left without their indexes.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "QueryGuards.h"
#include "Exceptions.h"
#include "SampleDatabase.h"
#include "ScopedEnv.h"
#include "StatementsSent.h"
#include "TempDir.h"
#include "UpgradeScript.h"
#include "UpgradeSession.h"

namespace {

namespace fs = std::filesystem;
using sample::SampleDatabase;
using support::ScopedEnv;

std::string CutDriver() { return std::string(CORVANTIS_BIN_DIR) + "/libcutdbv.so"; }

// A byte copy of a database nobody is attached to, owned by the server's
// user as the server's own files are, removed at the end.
class DatabaseCopy {
 public:
  DatabaseCopy(const SampleDatabase& from, const std::string& name)
      : path_(fs::path(from.Path()).parent_path() / (name + "_" + std::to_string(::getpid()) + ".fdb")) {
    fs::copy_file(from.Path(), path_, fs::copy_options::overwrite_existing);
    if (const passwd* firebird = ::getpwnam("firebird")) {
      if (::chown(path_.c_str(), firebird->pw_uid, firebird->pw_gid) != 0) throw std::runtime_error("chown failed");
    }
  }
  DatabaseCopy(const DatabaseCopy&) = delete;
  DatabaseCopy& operator=(const DatabaseCopy&) = delete;
  ~DatabaseCopy() { fs::remove(path_); }

  std::string Target() const { return corvantis::test::firebirdServer().address(path_.string()); }

 private:
  fs::path path_;
};

// What one run through the cutting driver did.
struct RunOutcome {
  bool completed = false;  // the gate passed and every step ran
  std::string failure;     // the message of the failure that ended it
  bool connectionLost = false;
  std::string report;  // the cutting driver's lines
};

RunOutcome RunThroughCutDriver(const std::string& database, const sample::ConnectionOptions& options, long cutAt,
                               const std::string& phase) {
  support::TempDir folder;
  const std::string reportFile = folder.PathOf("cut.report");
  const ScopedEnv driver("CORVANTIS_CUT_DRIVER", sample::ProgramConfig::RealDriver());
  const ScopedEnv at("CORVANTIS_CUT_AT", std::to_string(cutAt));
  const ScopedEnv when("CORVANTIS_CUT_PHASE", phase);
  const ScopedEnv report("CORVANTIS_CUT_REPORT", reportFile);
  const ScopedEnv command("CORVANTIS_CUT_COMMAND", std::nullopt);
  RunOutcome outcome;
  try {
    sample::UpgradeSession session(database, CutDriver(), options);
    QueryGuards guards(session.Query());
    if (!guards.TableMissing("UPDATE_HIST")) {
      UpgradeScript(session.Query(), guards);
      outcome.completed = true;
    }
  } catch (const EDatabaseError& error) {
    outcome.failure = error.message();
    outcome.connectionLost = error.ConnectionLost();
  }
  std::ifstream in(reportFile);
  std::stringstream lines;
  lines << in.rdbuf();
  outcome.report = lines.str();
  return outcome;
}

std::vector<std::string> LinesOf(const std::string& report, const std::string& prefix) {
  std::istringstream in(report);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

long CountOf(const std::string& report, const std::string& prefix) {
  return static_cast<long>(LinesOf(report, prefix).size());
}

// The database a swept run starts from.
enum class Origin {
  FirstRun,   // before the upgrade
  SecondRun,  // upgraded
  Healing,    // upgraded, then every index of the step table dropped
};

struct SweepSetting {
  const char* name;
  Origin origin;
  sample::ConnectionOptions options;
};

// Named in the test's listing by its name alone.
void PrintTo(const SweepSetting& setting, std::ostream* out) { *out << setting.name; }

const SweepSetting kSettings[] = {
    {"FirstRun", Origin::FirstRun, {}},
    {"FirstRunNoWait", Origin::FirstRun, {.waitOnLocks = false}},
    {"FirstRunRepeatableRead", Origin::FirstRun, {.isolation = "RepeatableRead"}},
    {"FirstRunCommitRetain", Origin::FirstRun, {.commitRetain = true}},
    {"SecondRun", Origin::SecondRun, {}},
    {"Healing", Origin::Healing, {}},
};

std::vector<std::string> IndexesOfSteps() {
  std::vector<std::string> names;
  for (const UpgradeStep& step : UpgradeSteps()) {
    for (const TableIndex& index : step.indexes) names.push_back(index.name);
  }
  return names;
}

// What a clean run from the origin sends, from the step table: a healing run
// sends a second run's statements and, after each index probe, the index.
long StatementsOfCleanRun(Origin origin) {
  const long statements = static_cast<long>(sample::StatementsSent(origin == Origin::FirstRun).size());
  return origin == Origin::Healing ? statements + static_cast<long>(IndexesOfSteps().size()) : statements;
}

// The origin of one setting and a copy of it upgraded in one clean run
// through the same layers, made once for both phases.
struct SweepOrigin {
  std::unique_ptr<SampleDatabase> database;
  RunOutcome cleanRun;
  std::string reference;
};

class FaultSweep : public sample::ServerTest,
                   public ::testing::WithParamInterface<std::tuple<SweepSetting, std::string, int>> {
 protected:
  static void TearDownTestSuite() { origins_.clear(); }

  static const SweepOrigin& OriginOf(const SweepSetting& setting) {
    std::unique_ptr<SweepOrigin>& made = origins_[setting.name];
    if (made) return *made;
    made = std::make_unique<SweepOrigin>();
    made->database = std::make_unique<SampleDatabase>(std::string("sweep_") + setting.name,
                                                      setting.origin == Origin::FirstRun ? "full" : "full,upgraded");
    if (setting.origin == Origin::Healing) {
      std::string drops;
      for (const std::string& index : IndexesOfSteps()) drops += "DROP INDEX " + index + ";\n";
      const std::string answer = made->database->Isql(drops + "COMMIT;");
      if (!answer.empty()) throw std::runtime_error("dropping the indexes failed: " + answer);
    }
    DatabaseCopy clean(*made->database, "sweep_clean");
    made->cleanRun = RunThroughCutDriver(clean.Target(), setting.options, 0, "prepare");
    made->reference = sample::SnapshotOf(clean.Target());
    return *made;
  }

  // Every statement, or those CORVANTIS_SWEEP lists ("7,30"), to look at one again.
  static bool Swept(long k) {
    const char* listed = std::getenv("CORVANTIS_SWEEP");
    if (listed == nullptr || *listed == '\0') return true;
    std::istringstream in(listed);
    for (std::string number; std::getline(in, number, ',');) {
      if (std::strtol(number.c_str(), nullptr, 10) == k) return true;
    }
    return false;
  }

  static std::map<std::string, std::unique_ptr<SweepOrigin>> origins_;
};

std::map<std::string, std::unique_ptr<SweepOrigin>> FaultSweep::origins_;

TEST_P(FaultSweep, EveryRunCutBeforeAStatementEndsReportedAndTheNextRunConverges) {
  const auto& [setting, phase, half] = GetParam();
  const SweepOrigin& origin = OriginOf(setting);
  ASSERT_TRUE(origin.cleanRun.completed) << "the clean run through the cutting driver did not complete: "
                                         << origin.cleanRun.failure;
  const std::vector<std::string> statements = LinesOf(origin.cleanRun.report, "statement ");
  ASSERT_EQ(static_cast<long>(statements.size()), StatementsOfCleanRun(setting.origin)) << origin.cleanRun.report;
  for (const std::string& index : IndexesOfSteps()) {
    EXPECT_NE(origin.reference.find("INDEX " + index + " ON "), std::string::npos) << "the clean run lacks " << index;
  }
  const long count = static_cast<long>(statements.size());
  long swept = 0;
  long converged = 0;
  // Each half of the statements in a test of its own, well inside CTest's time limit for one.
  const long first = half == 1 ? 1 : count / 2 + 1;
  const long last = half == 1 ? count / 2 : count;
  for (long k = first; k <= last; ++k) {
    if (!Swept(k)) continue;
    ++swept;
    SCOPED_TRACE("cut before the " + phase + " of statement " + statements[k - 1]);
    DatabaseCopy copy(*origin.database, "sweep_cut");
    const RunOutcome cut = RunThroughCutDriver(copy.Target(), setting.options, k, phase);
    EXPECT_EQ(CountOf(cut.report, "cut " + std::to_string(k) + " " + phase), 1) << cut.report;
    EXPECT_EQ(CountOf(cut.report, "statement "), k) << "the run went past the cut";
    if (k == 1 && phase == "prepare") {
      // The driver starts its kept read-only transaction for the first
      // prepare: nothing may have started one before, so this cut hits it.
      EXPECT_EQ(CountOf(cut.report, "transactions open at cut 1: 0"), 1) << cut.report;
    }
    EXPECT_FALSE(cut.completed) << "a run that lost its connection ended as if complete";
    EXPECT_TRUE(cut.connectionLost) << cut.failure;
    EXPECT_NE(cut.failure.find("SQL Server Error: connection shutdown"), std::string::npos) << cut.failure;

    const RunOutcome rerun = RunThroughCutDriver(copy.Target(), setting.options, 0, phase);
    EXPECT_TRUE(rerun.completed) << rerun.failure;
    const std::string snapshot = sample::SnapshotOf(copy.Target());
    EXPECT_EQ(snapshot, origin.reference);
    converged += cut.connectionLost && !cut.completed && rerun.completed && snapshot == origin.reference;
  }
  std::cout << "[ sweep    ] " << setting.name << ", " << phase << ", statements " << first << " to " << last << ": "
            << converged << " of " << swept << " cut runs converged (" << count << " in a clean run)\n";
  EXPECT_EQ(converged, swept);
}

INSTANTIATE_TEST_SUITE_P(Settings, FaultSweep,
                         ::testing::Combine(::testing::ValuesIn(kSettings),
                                            ::testing::Values(std::string("prepare"), std::string("execute")),
                                            ::testing::Values(1, 2)),
                         [](const ::testing::TestParamInfo<FaultSweep::ParamType>& info) {
                           return std::get<0>(info.param).name + ("_" + std::get<1>(info.param)) + "_half" +
                                  std::to_string(std::get<2>(info.param));
                         });

}  // namespace
