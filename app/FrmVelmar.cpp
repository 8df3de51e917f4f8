#include "FrmVelmar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QMessageBox>
#include <QMetaObject>
#include <QScreen>
#include <QScrollBar>
#include <QTextOption>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <utility>

#include "CatalogueGuards.h"
#include "CatalogueProbes.h"
#include "CodePage.h"
#include "ErrorReport.h"
#include "Exceptions.h"
#include "MessageDialog.h"
#include "QuitRequest.h"
#include "UpgradeScript.h"

namespace {

constexpr char kCaption[] = "FormVelmar";
constexpr int kClientWidth = 463;
constexpr int kClientHeight = 293;
constexpr int kTopStripHeight = 10;
constexpr int kBottomStripHeight = 41;
constexpr char kFontFamily[] = "MS Sans Serif";
constexpr int kFontPoints = 8;
constexpr QColor kLogBackground{0, 0, 0};
constexpr QColor kLogText{0, 255, 0};
constexpr int kTimerInterval = 1000;

constexpr char kGateTable[] = "UPDATE_HIST";
constexpr char kPreviousPackFirst[] =
    "\xBD\xD0\xA5\xFD\xA7\xB9\xA6\xA8\xC2\xC2\xAA\xA9"  // 請先完成舊版
    "PACK";
constexpr char kWarningCaption[] = "Warning";
constexpr char kNoTimers[] = "Not enough timers available";

QFont LayoutFont() {
  QFont font(QString::fromLatin1(kFontFamily), kFontPoints);
  font.setStyleHint(QFont::SansSerif);  // the fallback where the font is absent
  return font;
}

std::unique_ptr<QFrame> NewPanel(QWidget* parent) {
  auto panel = std::make_unique<QFrame>(parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  return panel;
}

// Centred on the whole desktop, its origin not added; never off its top-left.
QPoint CentredOnDesktop(QSize desktop, QSize window) {
  return {std::max(0, (desktop.width() - window.width()) / 2),
          std::max(0, (desktop.height() - window.height()) / 2)};
}

}  // namespace

// The shipped run: the real gate probe and upgrade script on SQLQuery1, the
// script's catalogue questions answered by the window's own operations.
class TFormVelmar::DatabaseRun : public UpgradeRun, private CatalogueGuards {
 public:
  explicit DatabaseRun(TFormVelmar& form) : form_(form) {}
  bool GateMissing() override { return form_.TableMissing(kGateTable); }
  void RunScript() override { UpgradeScript(*form_.SQLQuery1, *this); }

 private:
  bool TableMissing(const std::string& table) override { return form_.TableMissing(table); }
  bool IndexMissing(const std::string& index) override { return ::IndexMissing(*form_.SQLQuery1, index); }
  bool AddVarcharField(const std::string& table, const std::string& column, const std::string& width) override {
    return form_.AddVarcharField(table, column, width);
  }
  bool AddDoubleField(const std::string& table, const std::string& column) override {
    return form_.AddDoubleField(table, column);
  }

  TFormVelmar& form_;
};

TFormVelmar::TFormVelmar(std::unique_ptr<UpgradeRun> run)
    : run_(run ? std::move(run) : std::make_unique<DatabaseRun>(*this)) {
  BuildLayout();
  CreateDatabaseObjects();
  ArmTimer();
  SQLMonitor1 = std::make_unique<TSQLMonitor>("SQLMonitor1");
  SQLMonitor1->SetSQLConnection(SQLConnection1.get());
  SQLMonitor1->OnLogTrace = [this](TSQLMonitor* sender, dbv::pSQLTRACEDesc record) {
    SQLMonitor1LogTrace(sender, record);
  };
  // The native window exists from now on, still hidden.
  create();
}

// Everything is marked first, so nothing reacts to outside events while the
// window comes apart; the native window goes, then the visual parts, then
// the other objects, last created first.
TFormVelmar::~TFormVelmar() {
  SQLConnection1->MarkDestroying();
  SQLQuery1->MarkDestroying();
  SQLMonitor1->MarkDestroying();
  Timer1->stop();
  destroy();
  Panel3.reset();
  Panel2.reset();
  Panel1.reset();
  SQLMonitor1.reset();
  Timer1.reset();
  SQLQuery1.reset();
  SQLConnection1.reset();
}

void TFormVelmar::BuildLayout() {
  setWindowTitle(QString::fromLatin1(kCaption));
  setFont(LayoutFont());
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  resize(kClientWidth, kClientHeight);

  Panel1 = NewPanel(this);
  Panel1->setFixedHeight(kTopStripHeight);
  Panel2 = NewPanel(this);
  Panel2->setFixedHeight(kBottomStripHeight);
  Panel3 = NewPanel(this);

  Memo1 = new QPlainTextEdit(Panel3.get());
  Memo1->setFont(LayoutFont());
  QPalette log = Memo1->palette();
  log.setColor(QPalette::Base, kLogBackground);
  log.setColor(QPalette::Text, kLogText);
  Memo1->setPalette(log);
  Memo1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);  // the 2-pixel sunken client edge
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setFocusPolicy(Qt::StrongFocus);

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

void TFormVelmar::CreateDatabaseObjects() {
  SQLConnection1 = std::make_unique<TSQLConnection>(
      "SQLConnection1", QCoreApplication::applicationDirPath().toLocal8Bit().toStdString());
  SQLConnection1->AfterConnect = [this](TSQLConnection* sender) { SQLConnection1AfterConnect(sender); };
  SQLQuery1 = std::make_unique<TSQLQuery>("SQLQuery1");
  SQLQuery1->SetSQLConnection(SQLConnection1.get());
  SQLQuery1->MaxBlobSize = -1;
}

void TFormVelmar::ArmTimer() {
  Timer1 = std::make_unique<QTimer>();
  // A precise timer never ticks before its interval; a coarse one may.
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer1->setInterval(kTimerInterval);
  QObject::connect(Timer1.get(), &QTimer::timeout, this, [this] {
    // The first tick is handled only once the window has been shown and
    // painted; an earlier one is left to the next interval.
    if (!painted_) return;
    RunGuarded([this] { Timer1Timer(Timer1.get()); });
  });
  Timer1->start();
  if (Timer1->timerId() <= 0) throw Exception(kNoTimers);
}

void TFormVelmar::SQLMonitor1LogTrace(TSQLMonitor*, dbv::pSQLTRACEDesc CBInfo) {
  // Called from inside a driver operation: nothing may travel back through
  // the driver, so a failure is kept and reported once the loop runs again.
  try {
    const char* text = CBInfo->TraceText;
    AppendLogLine(std::string(text, strnlen(text, sizeof CBInfo->TraceText)));
    RepaintNow();
  } catch (...) {
    DeferTraceFailure(std::current_exception());
  }
}

void TFormVelmar::DeferTraceFailure(std::exception_ptr failure) {
  if (traceFailure_) return;  // one report for a burst of failing lines
  traceFailure_ = failure;
  QMetaObject::invokeMethod(
      this, [this] { ReportFailure(std::exchange(traceFailure_, nullptr)); }, Qt::QueuedConnection);
}

void TFormVelmar::Timer1Timer(QObject*) {
  Timer1->stop();
  if (run_->GateMissing()) {
    ShowWarning(kPreviousPackFirst);
    return;
  }
  try {
    run_->RunScript();
  } catch (...) {
    CloseMainWindow();
    throw;
  }
  CloseMainWindow();
}

void TFormVelmar::SQLConnection1AfterConnect(TSQLConnection*) { SQLMonitor1->SetActive(true); }

bool TFormVelmar::TableMissing(const std::string& table) { return ::TableMissing(*SQLQuery1, table); }

bool TFormVelmar::AddVarcharField(const std::string& table, const std::string& column,
                                  const std::string& width) {
  return ::AddVarcharField(*SQLQuery1, table, column, width);
}

bool TFormVelmar::AddDoubleField(const std::string& table, const std::string& column) {
  return ::AddDoubleField(*SQLQuery1, table, column);
}

void TFormVelmar::AppendLogLine(const std::string& line) {
  // A line break inside the text, CR LF or alone, starts a new line.
  QString text = FromCodePage950(line);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  // The insertion point moves to the end, and the view keeps it in sight.
  Memo1->moveCursor(QTextCursor::End);
  Memo1->appendPlainText(text);
  Memo1->ensureCursorVisible();
}

void TFormVelmar::RepaintNow() { repaint(); }

void TFormVelmar::ShowWarning(const std::string& message) {
  ShowMessageDialog(QMessageBox::Warning, QString::fromLatin1(kWarningCaption), FromCodePage950(message));
}

void TFormVelmar::CloseMainWindow() { PostQuitRequest(); }

void TFormVelmar::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    Memo1->setFocus(Qt::ActiveWindowFocusReason);
}

// The close button, the system menu and Alt+F4 end the program the same way:
// the window stays on screen until tear-down.
void TFormVelmar::closeEvent(QCloseEvent* event) {
  event->ignore();
  CloseMainWindow();
}

void TFormVelmar::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  painted_ = true;
}

void TFormVelmar::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (placed_) return;
  placed_ = true;
  if (QScreen* desktop = screen()) move(CentredOnDesktop(desktop->virtualSize(), frameGeometry().size()));
}
