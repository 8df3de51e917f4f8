// What the server receives during a run, from its own trace: every statement
// text in order, CR LF line ends included, and on a second run only probes
// and the eight backfills.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <unistd.h>

#include "QueryGuards.h"
#include "CatalogueProbes.h"
#include "SampleDatabase.h"
#include "StatementsSent.h"
#include "ServerTrace.h"
#include "UpgradeScript.h"
#include "UpgradeSession.h"

namespace {

using sample::SampleDatabase;

std::string Sent(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The trace shows every byte above 0x7F as "?".
std::string AsTraced(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) > 0x7F) c = '?';
  }
  return text;
}

// The texts a run sends to a database that lacks every column and table of
// the upgrade (firstRun) or already has them all.
std::vector<std::string> ExpectedTexts(bool firstRun) {
  std::vector<std::string> texts;
  for (const sample::SentStatement& statement : sample::StatementsSent(firstRun)) {
    // Only the backfills carry bytes above 0x7F.
    texts.push_back(statement.unguarded ? AsTraced(Sent(statement.lines)) : Sent(statement.lines));
  }
  return texts;
}

// The texts this process had the server prepare while the run was traced.
// The server also traces requests of its own made on the program's
// attachment (while it creates a primary key, say); only texts sent by a
// client end with CR LF, so those are left out.
struct TracedTexts {
  std::vector<std::string> texts;
  std::string trace;  // the raw trace, for failure messages
};

TracedTexts TracedRun(const SampleDatabase& database) {
  sample::ServerTrace trace(database);
  {
    sample::UpgradeSession session(database.Target());
    QueryGuards guards(session.Query());
    if (!guards.TableMissing("UPDATE_HIST")) UpgradeScript(session.Query(), guards);
  }
  const std::string ours = ":" + std::to_string(::getpid());
  TracedTexts traced;
  for (const sample::PreparedStatement& statement : trace.Finish()) {
    const bool fromUs = statement.process.size() > ours.size() &&
                        statement.process.compare(statement.process.size() - ours.size(), ours.size(), ours) == 0;
    const bool sentByClient = statement.text.size() >= 2 && statement.text.compare(statement.text.size() - 2, 2, "\r\n") == 0;
    if (fromUs && sentByClient) traced.texts.push_back(statement.text);
  }
  traced.trace = trace.Output();
  return traced;
}

class UpgradeTrace : public sample::ServerTest {};

TEST_F(UpgradeTrace, FirstAndSecondRunSendExactlyTheirStatements) {
  SampleDatabase database("upgrade_trace", "full");
  const TracedTexts first = TracedRun(database);
  EXPECT_EQ(first.texts, ExpectedTexts(true)) << first.trace;
  const TracedTexts second = TracedRun(database);
  EXPECT_EQ(second.texts, ExpectedTexts(false)) << second.trace;
  for (const std::string& text : second.texts) {
    EXPECT_NE(text.rfind("CREATE", 0), 0u) << text;
    EXPECT_NE(text.rfind("ALTER", 0), 0u) << text;
  }
}

// A run cut off between a table and its indexes: the next run probes the
// indexes of every table it finds and creates just the missing ones.
TEST_F(UpgradeTrace, IndexesMissingFromPresentTablesAreCreatedAndNothingElse) {
  SampleDatabase database("upgrade_trace_heal", "upgraded");
  SampleDatabase upgraded("upgrade_trace_heal_expected", "upgraded");
  ASSERT_EQ(database.Isql("DROP INDEX IDX_WEB_MAINBOARD;\nDROP INDEX IX_DAYACC_SUB2_1;\nCOMMIT;"), "");
  const std::string mainboardIndex = "CREATE INDEX IDX_WEB_MAINBOARD ON WEB_MAINBOARD(PROD_ID)\r\n";
  const std::string subIndex = "CREATE INDEX IX_DAYACC_SUB2_1 ON X_DAYACC_SUB2 (PROD_ID)\r\n";
  std::vector<std::string> expected;
  for (const std::string& text : ExpectedTexts(false)) {
    expected.push_back(text);
    if (text == Sent(IndexProbeLines("IDX_WEB_MAINBOARD"))) expected.push_back(mainboardIndex);
    if (text == Sent(IndexProbeLines("IX_DAYACC_SUB2_1"))) expected.push_back(subIndex);
  }
  ASSERT_EQ(expected.size(), ExpectedTexts(false).size() + 2);

  const TracedTexts healing = TracedRun(database);
  EXPECT_EQ(healing.texts, expected) << healing.trace;
  EXPECT_EQ(database.Snapshot(), upgraded.Snapshot());
  const TracedTexts again = TracedRun(database);
  EXPECT_EQ(again.texts, ExpectedTexts(false)) << again.trace;
}

TEST_F(UpgradeTrace, WithoutTheGateTableOnlyTheGateProbeIsSent) {
  SampleDatabase database("upgrade_trace_gate", "no-update-hist");
  const TracedTexts traced = TracedRun(database);
  EXPECT_EQ(traced.texts, std::vector<std::string>{Sent(TableProbeLines("UPDATE_HIST"))}) << traced.trace;
}

}  // namespace
