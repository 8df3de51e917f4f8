// The live log of real runs: the real window, driver and server. The log holds
// every statement of a run in the order it was sent, starting with the first
// driver event after the connection opened, and nothing when it cannot open.
#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include <string>
#include <vector>

#include "CatalogueProbes.h"
#include "CodePage.h"
#include "FrmVelmar.h"
#include "ProgramConfig.h"
#include "SampleDatabase.h"
#include "StatementsSent.h"
#include "WindowTestSupport.h"

namespace {

// A statement as the log shows it: its lines, each ended by the line break
// that the CR LF of the statement text becomes, decoded from code page 950.
std::string Logged(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return QString::fromStdU16String(FromCodePage950(text)).toStdString();
}

// Every statement a first run on a full sample database sends, in order.
std::vector<std::string> FirstRunStatements() {
  std::vector<std::string> statements;
  for (const sample::SentStatement& statement : sample::StatementsSent(true)) {
    statements.push_back(Logged(statement.lines));
  }
  return statements;
}

std::string LogText(const TFormVelmar& window) {
  return window.Memo1->toPlainText().toStdString() + "\n";
}

class WindowLiveLog : public sample::ServerTest {};

TEST_F(WindowLiveLog, AFullRunLogsEveryStatementInTheOrderSent) {
  sample::SampleDatabase database("livelog_full", "full");
  sample::ProgramConfig config(database.Target());
  TFormVelmar window;
  window.show();
  ASSERT_EQ(RunMainLoop(60000), 0) << "the run did not end with the window's close";

  const std::string log = LogText(window);
  // Nothing of the connect: the first line is the start of the transaction
  // the gate probe is prepared in, the next the gate probe's first line.
  const std::size_t firstEnd = log.find('\n');
  EXPECT_EQ(log.substr(0, firstEnd), "start transaction: read committed, read only, wait");
  EXPECT_EQ(log.substr(firstEnd + 1, log.find('\n', firstEnd + 1) - firstEnd - 1),
            TableProbeLines("UPDATE_HIST").front());
  std::size_t at = 0;
  for (const auto& statement : FirstRunStatements()) {
    const std::size_t found = log.find(statement, at);
    ASSERT_NE(found, std::string::npos) << "missing, or out of order, in the log:\n" << statement;
    at = found + statement.size();
  }
}

TEST_F(WindowLiveLog, AGateOnlyRunLeavesTheGateProbesLines) {
  sample::SampleDatabase database("livelog_gate", "no-update-hist");
  sample::ProgramConfig config(database.Target());
  DialogAnswerer answerer;
  TFormVelmar window;
  window.show();
  ASSERT_TRUE(WaitFor([&] { return !answerer.seen.empty(); }, 30000)) << "no warning";

  const std::string log = LogText(window);
  EXPECT_NE(log.find(Logged(TableProbeLines("UPDATE_HIST"))), std::string::npos) << log;
  EXPECT_EQ(log.find("ALTER"), std::string::npos) << log;
  EXPECT_EQ(log.find("CPETITION_SUB"), std::string::npos) << log;
}

TEST_F(WindowLiveLog, AConnectionThatCannotOpenLeavesTheLogEmpty) {
  sample::ProgramConfig config("127.0.0.1/1:/nowhere/none.fdb");  // no server listens on port 1
  DialogAnswerer answerer;
  TFormVelmar window;
  window.show();
  ASSERT_TRUE(WaitFor([&] { return !answerer.seen.empty(); }, 30000)) << "no error report";

  EXPECT_TRUE(window.Memo1->toPlainText().isEmpty()) << window.Memo1->toPlainText().toStdString();
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
