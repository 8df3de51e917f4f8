// One trace record becomes one line of the log, and the window is repainted
// before the handler returns to the driver.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>

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

TEST(WindowTraceLog, WindowIsRepaintedBeforeReturningWithoutTakingQueuedEvents) {
  std::vector<std::string> log;
  TFormVelmar form(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
  form.show();
  ASSERT_TRUE(WaitFor([&] { return form.isVisible(); }, 1000));
  WaitFor([] { return false; }, 100);  // the first paint is done

  EventCounter paints(QEvent::Paint);
  form.installEventFilter(&paints);
  EventCounter queued(QEvent::User);
  QCoreApplication::postEvent(&queued, new QEvent(QEvent::User));

  dbv::SQLTRACEDesc record = Record("EXECUTE");
  form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
  EXPECT_GT(paints.count, 0) << "no synchronous repaint";
  EXPECT_EQ(queued.count, 0) << "a queued event was dispatched during the handler";

  QCoreApplication::processEvents();
  EXPECT_EQ(queued.count, 1);
  form.removeEventFilter(&paints);
}
