// The main window as designed: sizes, strips on resize, placement, colours,
// fonts, the log view's settings and focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QIcon>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>
#include <vector>

#include "FrmVelmar.h"
#include "WindowTestSupport.h"

namespace {

constexpr QSize kDesignClient{463, 293};

std::unique_ptr<TFormVelmar> NewForm(std::vector<std::string>& log) {
  return std::make_unique<TFormVelmar>(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
}

void ExpectStrips(const TFormVelmar& form, const char* row) {
  SCOPED_TRACE(row);
  const int w = form.width();
  const int h = form.height();
  EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, w, 10));
  EXPECT_EQ(form.Panel3->geometry(), QRect(0, 10, w, h - 51));
  EXPECT_EQ(form.Panel2->geometry(), QRect(0, h - 41, w, 41));
  EXPECT_EQ(form.Memo1->geometry(), QRect(1, 1, w - 2, h - 53)) << "inside Panel3's 1-pixel bevel";
}

}  // namespace

TEST(WindowLayout, StripsKeepTheirHeightsAtDesignSizeAfterResizeAndMaximise) {
  struct Row {
    const char* name;
    std::function<void(TFormVelmar&)> change;
    std::function<bool(QSize)> sizeIsRight;
  };
  const std::vector<Row> rows = {
      {"design size", [](TFormVelmar&) {}, [](QSize s) { return s == kDesignClient; }},
      {"resized to 700 x 500", [](TFormVelmar& f) { f.resize(700, 500); },
       [](QSize s) { return s == QSize(700, 500); }},
      {"resized small", [](TFormVelmar& f) { f.resize(300, 200); }, [](QSize s) { return s == QSize(300, 200); }},
      {"maximised", [](TFormVelmar& f) { f.showMaximized(); },
       [](QSize s) { return s.width() > kDesignClient.width() && s.height() > kDesignClient.height(); }},
  };
  for (const Row& row : rows) {
    std::vector<std::string> log;
    auto form = NewForm(log);
    form->show();
    row.change(*form);
    ASSERT_TRUE(WaitFor([&] { return row.sizeIsRight(form->size()); }, 2000))
        << row.name << ": client size " << form->width() << " x " << form->height();
    WaitFor([] { return false; }, 50);  // the layout settles on the posted resize
    ExpectStrips(*form, row.name);
    if (row.name == rows.front().name) {
      EXPECT_EQ(form->Memo1->size(), QSize(461, 240));
    }
  }
}

TEST(WindowLayout, FirstShowingCentresOnTheDesktopOnce) {
  struct Row {
    const char* name;
    QSize client;
  };
  for (const Row& row : {Row{"design size", kDesignClient}, Row{"larger than the desktop: raised to 0", {1500, 1200}}}) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> log;
    auto form = NewForm(log);
    form->resize(row.client);
    form->move(5, 7);  // a position given before is ignored
    form->show();
    ASSERT_TRUE(WaitFor([&] { return form->isVisible(); }, 1000));
    const QSize desktop = form->screen()->virtualSize();
    const QSize outer = form->frameGeometry().size();
    const QPoint expected(std::max(0, (desktop.width() - outer.width()) / 2),
                          std::max(0, (desktop.height() - outer.height()) / 2));
    EXPECT_EQ(form->frameGeometry().topLeft(), expected);

    form->hide();
    form->move(20, 30);
    form->show();
    WaitFor([] { return false; }, 50);
    EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(20, 30)) << "placed again at a later showing";
  }
}

TEST(WindowLayout, WindowSettings) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  EXPECT_EQ(form->windowTitle(), "FormVelmar");
  EXPECT_EQ(form->size(), kDesignClient);
  EXPECT_EQ(form->font().family(), "MS Sans Serif");
  EXPECT_EQ(form->font().pointSize(), 8);
  EXPECT_EQ(form->font().styleHint(), QFont::SansSerif) << "no sans fallback";
  EXPECT_EQ(form->palette().color(QPalette::Window), form->palette().color(QPalette::Button))
      << "background is not the 3D face";
  EXPECT_TRUE(form->autoFillBackground());
  const Qt::WindowFlags flags = form->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_NE(form->maximumSize(), form->minimumSize()) << "not sizeable";
  EXPECT_TRUE(form->testAttribute(Qt::WA_WState_Created)) << "the native window is made with the window";
  const QIcon icon = QApplication::windowIcon();
  ASSERT_FALSE(icon.isNull()) << "MAINICON not loaded";
  EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
  EXPECT_EQ(form->windowIcon().cacheKey(), icon.cacheKey()) << "the window shows an icon of its own";
}

TEST(WindowLayout, PanelsAreRaisedOnePixelBevelsWithoutCaption) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  for (QFrame* panel : {form->Panel1.get(), form->Panel2.get(), form->Panel3.get()}) {
    EXPECT_EQ(panel->frameShape(), QFrame::Panel);
    EXPECT_EQ(panel->frameShadow(), QFrame::Raised);
    EXPECT_EQ(panel->lineWidth(), 1);
    EXPECT_EQ(panel->frameWidth(), 1);
    EXPECT_TRUE(panel->windowTitle().isEmpty());
  }
  EXPECT_EQ(form->Memo1->parentWidget(), form->Panel3.get());
}

TEST(WindowLayout, LogViewSettings) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  QPlainTextEdit& memo = *form->Memo1;
  EXPECT_TRUE(memo.toPlainText().isEmpty());
  EXPECT_EQ(memo.palette().color(QPalette::Base), QColor(0, 0, 0));
  EXPECT_EQ(memo.palette().color(QPalette::Text), QColor(0, 255, 0));
  EXPECT_TRUE(memo.testAttribute(Qt::WA_SetFont)) << "the log follows the window's font";
  EXPECT_EQ(memo.font().family(), "MS Sans Serif");
  EXPECT_EQ(memo.font().pointSize(), 8);
  EXPECT_EQ(memo.frameShape(), QFrame::WinPanel);
  EXPECT_EQ(memo.frameShadow(), QFrame::Sunken);
  EXPECT_EQ(memo.frameWidth(), 2);
  EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_FALSE(memo.isReadOnly());
  EXPECT_EQ(memo.maximumBlockCount(), 0) << "a length limit is set";
}

TEST(WindowLayout, LogWrapsLongLinesAndFollowsTheNewestLine) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  form->show();
  ASSERT_TRUE(WaitFor([&] { return form->Memo1->isVisible(); }, 1000));
  form->AppendLogLines(std::string(400, 'W'));  // no blank to break at
  const QTextBlock first = form->Memo1->document()->firstBlock();
  ASSERT_NE(first.layout(), nullptr);
  EXPECT_GT(first.layout()->lineCount(), 1) << "a long line is not wrapped";

  for (int i = 0; i < 200; ++i) form->AppendLogLines("line " + std::to_string(i));
  const QScrollBar* bar = form->Memo1->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum()) << "the view does not follow the newest line";
}

TEST(WindowLayout, RenderedLogIsLimeOnBlackInsideFacePanels) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  form->show();
  ASSERT_TRUE(WaitFor([&] { return form->Memo1->isVisible(); }, 1000));
  form->AppendLogLines("SELECT * FROM RDB$RELATIONS");
  const QImage shot = form->grab().toImage();
  const QColor face = form->palette().color(QPalette::Button);
  EXPECT_EQ(shot.pixelColor(230, 5), face) << "top strip";
  EXPECT_EQ(shot.pixelColor(230, 275), face) << "bottom strip";
  EXPECT_EQ(shot.pixelColor(230, 200), QColor(0, 0, 0)) << "log background";
  int lime = 0;
  for (int y = 12; y < 40; ++y)
    for (int x = 2; x < 200; ++x) {
      const QColor c = shot.pixelColor(x, y);  // anti-aliased: lime-ish, not exactly lime
      lime += c.green() > 150 && c.red() < 100 && c.blue() < 100;
    }
  EXPECT_GT(lime, 20) << "no lime text in the first line of the log";
}

TEST(WindowLayout, LogIsTheOnlyFocusTakerAndGetsFocusOnActivation) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  for (QWidget* w : form->findChildren<QWidget*>())
    if (w != form->Memo1 && !form->Memo1->isAncestorOf(w)) {
      EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->metaObject()->className() << " takes the focus";
    }
  EXPECT_NE(form->Memo1->focusPolicy(), Qt::NoFocus);

  form->show();
  form->activateWindow();
  ASSERT_TRUE(WaitFor([&] { return form->isActiveWindow(); }, 2000)) << "the window never became active";
  EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == form->Memo1; }, 1000));

  form->Memo1->clearFocus();
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return other.isActiveWindow(); }, 2000));
  form->activateWindow();
  ASSERT_TRUE(WaitFor([&] { return form->isActiveWindow(); }, 2000));
  EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == form->Memo1; }, 1000))
      << "the log did not get the focus back when the window became active again";
}
