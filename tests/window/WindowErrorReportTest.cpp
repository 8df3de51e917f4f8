// The default error report and the start-up failure box, as the user sees them.
#include <gtest/gtest.h>

#include <QApplication>

#include <stdexcept>
#include <vector>

#include "ErrorReport.h"
#include "Exceptions.h"
#include "WindowTestSupport.h"

TEST(WindowErrorReport, WhatTheReportShows) {
  struct Row {
    const char* name;
    std::exception_ptr failure;
    bool shown;
    QString text;
  };
  const std::vector<Row> rows = {
      {"database error gets a full stop", std::make_exception_ptr(EDatabaseError("SQLQuery1: No SQL statement")),
       true, "SQLQuery1: No SQL statement."},
      {"a message ending in a full stop is kept", std::make_exception_ptr(EConvertError("Invalid value.")), true,
       "Invalid value."},
      {"Big5 message: converted, full stop after the last character",
       std::make_exception_ptr(EDatabaseError("\xBF\xF9\xBB\x7E")), true, QString::fromUtf8("錯誤.")},  // 錯誤
      {"markup is shown as text", std::make_exception_ptr(EDatabaseError("<b>x</b>")), true, "<b>x</b>."},
      {"empty message: an empty box", std::make_exception_ptr(EDatabaseError("")), true, ""},
      {"a standard failure shows its what()", std::make_exception_ptr(std::runtime_error("disk full")), true,
       "disk full."},
      {"silent abort: nothing", std::make_exception_ptr(EAbort()), false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DialogAnswerer answerer(50);
    ReportFailure(row.failure);
    ASSERT_EQ(answerer.seen.size(), row.shown ? 1u : 0u);
    if (!row.shown) continue;
    const SeenDialog& d = answerer.seen.front();
    EXPECT_EQ(d.caption, QCoreApplication::applicationName());
    EXPECT_EQ(d.text, row.text);
    EXPECT_EQ(d.icon, QMessageBox::Critical);
    EXPECT_EQ(d.buttons, QStringList{"OK"});
    EXPECT_TRUE(d.applicationModal);
  }
}

TEST(WindowErrorReport, GuardHandsEscapingFailuresToTheReport) {
  DialogAnswerer answerer(50);
  RunGuarded([] { throw EDatabaseError("handler failed"); });
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen.front().text, "handler failed.");
}

TEST(WindowErrorReport, StartupFailureBoxIsCaptionedApplicationError) {
  DialogAnswerer answerer(50);
  ReportStartupFailure(std::make_exception_ptr(Exception("Not enough timers available")));
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen.front().caption, "Application Error");
  EXPECT_EQ(answerer.seen.front().text, "Not enough timers available");
  EXPECT_EQ(answerer.seen.front().icon, QMessageBox::Critical);
}

TEST(WindowErrorReport, ApplicationTitleComesFromTheExecutable) {
  EXPECT_EQ(QCoreApplication::applicationName(), "window_tests");
  EXPECT_TRUE(QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName())
      << "a display name of its own would be appended to every caption";
}
