#include "FrmVelmar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QScreen>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextCursor>
#include <QTextOption>
#include <QVBoxLayout>

#include "Exceptions.h"
#include "WindowLayout.h"

namespace {

QColor ColourOf(window_layout::Colour colour) { return {colour.red, colour.green, colour.blue}; }

QFont LayoutFont() {
  QFont font(QString::fromUtf16(window_layout::kFontFamily), window_layout::kFontPoints);
  font.setStyleHint(QFont::SansSerif);  // the fallback where the font is absent
  return font;
}

std::unique_ptr<QFrame> NewPanel(QWidget* parent) {
  auto panel = std::make_unique<QFrame>(parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(window_layout::kPanelBevel);
  return panel;
}

}  // namespace

TFormVelmar::TFormVelmar(std::unique_ptr<UpgradeRun> run) : FormVelmarLogic(std::move(run)) {
  CreateComponents(QCoreApplication::applicationDirPath().toLocal8Bit().toStdString());
}

TFormVelmar::~TFormVelmar() { DestroyComponents(); }

void TFormVelmar::BuildLayout() {
  setWindowTitle(QString::fromUtf16(window_layout::kCaption));
  setFont(LayoutFont());
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  resize(window_layout::kClientWidth, window_layout::kClientHeight);

  Panel1 = NewPanel(this);
  Panel1->setFixedHeight(window_layout::kPanel1Height);
  Panel2 = NewPanel(this);
  Panel2->setFixedHeight(window_layout::kPanel2Height);
  Panel3 = NewPanel(this);

  Memo1 = new QPlainTextEdit(Panel3.get());
  QFont logFont = LayoutFont();
  logFont.setKerning(false);
  logFont.setStyleStrategy(QFont::StyleStrategy(logFont.styleStrategy() | QFont::PreferNoShaping));
  Memo1->setFont(logFont);
  QPalette log = Memo1->palette();
  log.setColor(QPalette::Base, ColourOf(window_layout::kMemo1Background));
  log.setColor(QPalette::Text, ColourOf(window_layout::kMemo1Text));
  Memo1->setPalette(log);
  Memo1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);  // the 2-pixel sunken client edge
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setFocusPolicy(Qt::StrongFocus);
  // No undo history: a user's Ctrl+Z must not take log lines away, and every
  // appended line would otherwise keep an undo record for the whole run.
  Memo1->setUndoRedoEnabled(false);

  // The strips keep their heights; Panel3 and, inside its 1-pixel bevel,
  // Memo1 take the rest.
  auto* inner = new QVBoxLayout(Panel3.get());
  inner->setContentsMargins(0, 0, 0, 0);
  inner->addWidget(Memo1);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  outer->addWidget(Panel1.get());
  outer->addWidget(Panel3.get(), 1);
  outer->addWidget(Panel2.get());
}

void TFormVelmar::ArmTimer() {
  Timer1 = std::make_unique<QTimer>();
  // A precise timer never ticks before its interval; a coarse one may.
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer1->setInterval(window_layout::kTimer1Interval);
  QObject::connect(Timer1.get(), &QTimer::timeout, this, [this] { TimerTicked(Timer1.get()); });
  Timer1->start();
  if (Timer1->timerId() <= 0) throw Exception(NoTimersText);
}

void TFormVelmar::StopTimer() { Timer1->stop(); }

void TFormVelmar::EnsureNativeWindow() { create(); }

// The native window goes now; the widgets go with the visual parts.
void TFormVelmar::TakeOffScreen() { destroy(); }

void TFormVelmar::FreeVisualParts() {
  Panel3.reset();
  Panel2.reset();
  Panel1.reset();
}

void TFormVelmar::FreeTimer() { Timer1.reset(); }

void TFormVelmar::AddLogLines(const std::vector<std::u16string>& lines) {
  QStringList joined;
  for (const std::u16string& line : lines) joined << QString::fromStdU16String(line);
  const QString text = joined.join(u'\n');
  QTextDocument* document = Memo1->document();
  const int firstNewBlock = logEmpty_ ? 0 : document->blockCount();
  // The insertion point stays at the end once there: the user's typing waits
  // in the queue while the run holds the loop.
  if (!Memo1->textCursor().atEnd()) Memo1->moveCursor(QTextCursor::End);
  if (!logEmpty_ && document->isEmpty()) {
    // Only an empty first line leaves the document empty; appending would
    // then fill that line again instead of starting the next.
    QTextCursor end = Memo1->textCursor();
    end.insertBlock();
    end.insertText(text);
    Memo1->ensureCursorVisible();
  } else {
    // Scrolls the view down with it when the last line was in sight.
    Memo1->appendPlainText(text);
  }
  logEmpty_ = false;
  // What changed on screen: the new lines, wrapped or not; a scroll the view
  // made is the toolkit's own pending change and is painted with them.
  QTextCursor end(document);
  end.movePosition(QTextCursor::End);
  QRect changed = Memo1->cursorRect(QTextCursor(document->findBlockByNumber(firstNewBlock)));
  changed = changed.united(Memo1->cursorRect(end));
  changed.setLeft(0);
  changed.setRight(Memo1->viewport()->width());
  changedLog_ += changed;
}

// Painted before returning: what the new lines changed, or the whole window
// when nothing is known to have changed.
void TFormVelmar::RepaintNow() {
  if (changedLog_.isEmpty()) {
    repaint();
    return;
  }
  Memo1->viewport()->repaint(changedLog_);
  changedLog_ = QRegion();
}

void TFormVelmar::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    Memo1->setFocus(Qt::ActiveWindowFocusReason);
}

// The close button, the system menu and Alt+F4 end the program the same way:
// the window stays on screen until tear-down.
void TFormVelmar::closeEvent(QCloseEvent* event) {
  event->ignore();
  RequestClose();
}

void TFormVelmar::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  WindowShown();
  if (placed_) return;
  placed_ = true;
  QScreen* desktop = screen();
  if (desktop == nullptr) return;
  const QSize area = desktop->virtualSize();
  const QSize frame = frameGeometry().size();
  move(window_layout::CentredOnDesktop(area.width(), frame.width()),
       window_layout::CentredOnDesktop(area.height(), frame.height()));
}
