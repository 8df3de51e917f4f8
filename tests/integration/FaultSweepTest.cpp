// A run broken off at every statement it sends: the program's attachment is
// deleted just before statement k reaches the real server (before its
// prepare, or prepared and before its execute). The run must end with the
// lost connection's error, never quietly, and one more run must leave the
// database exactly as a single clean run does.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CatalogueGuards.h"
#include "CatalogueProbes.h"
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

RunOutcome RunThroughCutDriver(const std::string& database, long cutAt, const char* phase) {
  support::TempDir folder;
  const std::string reportFile = folder.PathOf("cut.report");
  const ScopedEnv driver("CORVANTIS_CUT_DRIVER", sample::ProgramConfig::RealDriver());
  const ScopedEnv at("CORVANTIS_CUT_AT", std::to_string(cutAt));
  const ScopedEnv when("CORVANTIS_CUT_PHASE", std::string(phase));
  const ScopedEnv report("CORVANTIS_CUT_REPORT", reportFile);
  const ScopedEnv command("CORVANTIS_CUT_COMMAND", std::nullopt);
  RunOutcome outcome;
  try {
    sample::UpgradeSession session(database, CutDriver());
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

long CountOf(const std::string& report, const std::string& prefix) {
  std::istringstream in(report);
  long count = 0;
  for (std::string line; std::getline(in, line);) count += line.rfind(prefix, 0) == 0;
  return count;
}

// The pre-upgrade sample every cut run starts from, and the snapshot of a
// copy of it upgraded in one clean run through the same layers.
class FaultSweep : public sample::ServerTest {
 protected:
  static void SetUpTestSuite() {
    if (corvantis::test::serverChecksSkipped() || !corvantis::test::serverIsUp()) return;
    origin_ = std::make_unique<SampleDatabase>("sweep_origin", "full");
    const SampleDatabase& origin = *origin_;
    DatabaseCopy clean(origin, "sweep_clean");
    const RunOutcome outcome = RunThroughCutDriver(clean.Target(), 0, "prepare");
    cleanRunCompleted_ = outcome.completed;
    statementsOfCleanRun_ = CountOf(outcome.report, "statement ");
    reference_ = sample::SnapshotOf(clean.Target());
  }
  static void TearDownTestSuite() { origin_.reset(); }

  // Statement k (from 1) of a clean run, as the step table says it is sent.
  static const sample::SentStatement& Sent(long k) {
    static const std::vector<sample::SentStatement> sent = sample::StatementsSent(true);
    return sent.at(static_cast<std::size_t>(k - 1));
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

  void Sweep(const char* phase);

  static std::unique_ptr<SampleDatabase> origin_;
  static bool cleanRunCompleted_;
  static long statementsOfCleanRun_;
  static std::string reference_;
};

std::unique_ptr<SampleDatabase> FaultSweep::origin_;
bool FaultSweep::cleanRunCompleted_ = false;
long FaultSweep::statementsOfCleanRun_ = 0;
std::string FaultSweep::reference_;

void FaultSweep::Sweep(const char* phase) {
  ASSERT_TRUE(cleanRunCompleted_) << "the clean run through the cutting driver did not complete";
  ASSERT_EQ(statementsOfCleanRun_, static_cast<long>(sample::StatementsSent(true).size()));
  long swept = 0;
  long converged = 0;
  for (long k = 1; k <= statementsOfCleanRun_; ++k) {
    if (!Swept(k)) continue;
    ++swept;
    SCOPED_TRACE("cut before the " + std::string(phase) + " of statement " + std::to_string(k) + " (step " +
                 std::to_string(Sent(k).step) + ": " + Sent(k).lines.front() + ")");
    DatabaseCopy copy(*origin_, "sweep_cut");
    const RunOutcome cut = RunThroughCutDriver(copy.Target(), k, phase);
    EXPECT_EQ(CountOf(cut.report, "cut " + std::to_string(k) + " " + phase), 1) << cut.report;
    EXPECT_EQ(CountOf(cut.report, "statement "), k) << "the run went past the cut";
    EXPECT_FALSE(cut.completed) << "a run that lost its connection ended as if complete";
    EXPECT_TRUE(cut.connectionLost) << cut.failure;
    EXPECT_NE(cut.failure.find("SQL Server Error: connection shutdown"), std::string::npos) << cut.failure;

    const RunOutcome rerun = RunThroughCutDriver(copy.Target(), 0, phase);
    EXPECT_TRUE(rerun.completed) << rerun.failure;
    const std::string snapshot = sample::SnapshotOf(copy.Target());
    EXPECT_EQ(snapshot, reference_);
    converged += cut.connectionLost && !cut.completed && rerun.completed && snapshot == reference_;
  }
  std::cout << "[ sweep    ] " << phase << ": " << converged << " of " << swept << " cut runs converged ("
            << statementsOfCleanRun_ << " statements in a clean run)\n";
  EXPECT_EQ(converged, swept);
}

TEST_F(FaultSweep, EveryRunCutBeforeAStatementIsPreparedEndsReportedAndTheNextRunConverges) { Sweep("prepare"); }

TEST_F(FaultSweep, EveryRunCutBeforeAPreparedStatementRunsEndsReportedAndTheNextRunConverges) { Sweep("execute"); }

}  // namespace
