// One trace record becomes one line of the log, and the window is repainted
// before the handler returns to the driver.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QPaintEvent>
#include <QRegion>

#include <cstring>
#include <vector>

#include "FrmVelmar.h"
#include "WindowTestSupport.h"

namespace {

dbv::SQLTRACEDesc Record(const std::string& bytes) {
  dbv::SQLTRACEDesc record;
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.TraceText, bytes.data(), std::min(bytes.size(), sizeof record.TraceText));
  record.TraceCategory = 0x5A5A5A5A;  // bytes right after the text, never part of it
  return record;
}

class EventCounter : public QObject {
 public:
  explicit EventCounter(QEvent::Type type) : type_(type) {}
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == type_;
    return false;
  }
  bool event(QEvent* event) override {
    count += event->type() == type_;
    return QObject::event(event);
  }

 private:
  QEvent::Type type_;
};

}  // namespace

TEST(WindowTraceLog, RecordTextBecomesOneLine) {
  struct Row {
    const char* name;
    std::string text;
    QStringList lines;
  };
  const std::vector<Row> rows = {
      {"text ends at the first NUL", std::string("PREPARE\0garbage", 15), {"PREPARE"}},
      {"a full field has no NUL: all 1024 bytes, nothing after", std::string(1024, 'x'),
       {QString(1024, u'x')}},
      {"first byte NUL: an empty line", std::string("\0abc", 4), {""}},
      {"CR LF inside: several lines", "SELECT *\r\nFROM T", {"SELECT *", "FROM T"}},
      {"Big5 shown as Unicode", "\xA4\x40\xAF\xEB", {QString::fromUtf8("一般")}},  // 一般
  };
  for (const Row& row : rows) {
    std::vector<std::string> log;
    TFormVelmar form(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
    dbv::SQLTRACEDesc record = Record(row.text);
    form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
    EXPECT_EQ(form.Memo1->toPlainText().split(u'\n'), row.lines) << row.name;
  }
}

TEST(WindowTraceLog, LinesAreAppendedInOrder) {
  struct Row {
    const char* name;
    std::vector<std::string> texts;
    QString shown;
  };
  const std::vector<Row> rows = {
      {"one line each", {"first", "second", "third"}, "first\nsecond\nthird"},
      {"an empty first line stays a line", {std::string("\0", 1), "second"}, "\nsecond"},
      {"a lone LF or CR breaks no line", {"a\nb", "c\rd"}, QString::fromUtf8("a\u240Ab\nc\u240Dd")},
  };
  for (const Row& row : rows) {
    std::vector<std::string> log;
    TFormVelmar form(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
    for (const std::string& text : row.texts) {
      dbv::SQLTRACEDesc record = Record(text);
      form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
    }
    EXPECT_EQ(form.Memo1->toPlainText(), row.shown) << row.name;
  }
}

// A user's Ctrl+Z takes no log line away, and a run's appends pile up no
// undo records; what the user typed stays as typed.
TEST(WindowTraceLog, TheLogKeepsNoUndoHistory) {
  std::vector<std::string> log;
  TFormVelmar form(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
  const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(form.Memo1, &event);
  };
  press(Qt::Key_A, Qt::NoModifier, "a");
  press(Qt::Key_B, Qt::NoModifier, "b");
  for (const char* text : {"first", "second"}) {
    dbv::SQLTRACEDesc record = Record(text);
    form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
  }
  EXPECT_EQ(form.Memo1->document()->availableUndoSteps(), 0);
  for (int undo = 0; undo < 3; ++undo) press(Qt::Key_Z, Qt::ControlModifier, QString());
  EXPECT_EQ(form.Memo1->toPlainText(), "ab\nfirst\nsecond");
}

// The repaint after each line paints what the line changed, the new line's
// place in the log view, before returning to the driver, and takes no queued
// event meanwhile.
TEST(WindowTraceLog, TheNewLineIsPaintedBeforeReturningWithoutTakingQueuedEvents) {
  std::vector<std::string> log;
  TFormVelmar form(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
  form.show();
  ASSERT_TRUE(WaitFor([&] { return form.isVisible(); }, 1000));
  WaitFor([] { return false; }, 100);  // the first paint is done

  struct PaintedRegion : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
      return false;
    }
  } paints;
  form.Memo1->viewport()->installEventFilter(&paints);
  EventCounter queued(QEvent::User);
  for (int line = 0; line < 40; ++line) {  // past the view's height: the view scrolls
    QCoreApplication::postEvent(&queued, new QEvent(QEvent::User));
    paints.painted = QRegion();
    dbv::SQLTRACEDesc record = Record("EXECUTE " + std::to_string(line));
    form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
    const QRect newLine = form.Memo1->cursorRect();
    ASSERT_TRUE(paints.painted.contains(newLine.center())) << "line " << line << " was not painted at once";
  }
  EXPECT_EQ(queued.count, 0) << "a queued event was dispatched during the handler";
  // What is on screen already is what a repaint of the whole window shows:
  // the view's own scrolling is painted with the lines.
  const QImage shown = form.screen()->grabWindow(form.winId()).toImage();
  form.repaint();
  EXPECT_EQ(shown, form.screen()->grabWindow(form.winId()).toImage()) << "the screen lags behind the log";
  QCoreApplication::processEvents();
  EXPECT_EQ(queued.count, 40);
  form.Memo1->viewport()->removeEventFilter(&paints);
}
