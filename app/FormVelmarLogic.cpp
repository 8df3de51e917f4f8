#include "FormVelmarLogic.h"

#include <utility>

#include "Desktop.h"
#include "ErrorReport.h"
#include "LogLines.h"
#include "ModalBox.h"
#include "QueryGuards.h"
#include "QuitRequest.h"
#include "UpgradeScript.h"

namespace {

constexpr char kGateTable[] = "UPDATE_HIST";
constexpr char kPreviousPackFirst[] =
    "\xBD\xD0\xA5\xFD\xA7\xB9\xA6\xA8\xC2\xC2\xAA\xA9"  // 請先完成舊版
    "PACK";
constexpr char16_t kWarningCaption[] = u"Warning";

}  // namespace

// The shipped run: the real gate probe and upgrade script on SQLQuery1.
class FormVelmarLogic::DatabaseRun : public UpgradeRun {
 public:
  explicit DatabaseRun(FormVelmarLogic& form) : form_(form) {}
  bool GateMissing() override { return form_.TableMissing(kGateTable); }
  void RunScript() override {
    QueryGuards guards = form_.Guards();
    UpgradeScript(*form_.SQLQuery1, guards);
  }

 private:
  FormVelmarLogic& form_;
};

FormVelmarLogic::FormVelmarLogic(std::unique_ptr<UpgradeRun> run)
    : run_(run ? std::move(run) : std::make_unique<DatabaseRun>(*this)) {}

FormVelmarLogic::~FormVelmarLogic() = default;

void FormVelmarLogic::CreateComponents(const std::string& programDirectory) {
  BuildLayout();
  SQLConnection1 = std::make_unique<TSQLConnection>("SQLConnection1", programDirectory);
  SQLConnection1->AfterConnect = [this](TSQLConnection* sender) { SQLConnection1AfterConnect(sender); };
  SQLQuery1 = std::make_unique<TSQLQuery>("SQLQuery1");
  SQLQuery1->SetSQLConnection(SQLConnection1.get());
  SQLQuery1->MaxBlobSize = -1;
  ArmTimer();
  SQLMonitor1 = std::make_unique<TSQLMonitor>("SQLMonitor1");
  SQLMonitor1->SetSQLConnection(SQLConnection1.get());
  SQLMonitor1->OnLogTrace = [this](TSQLMonitor* sender, dbv::pSQLTRACEDesc record) {
    SQLMonitor1LogTrace(sender, record);
  };
  EnsureNativeWindow();
}

// Everything is marked first, so nothing reacts to outside events while the
// window comes apart; the native window goes, then the visual parts, then
// the other objects, last created first.
void FormVelmarLogic::DestroyComponents() {
  SQLConnection1->MarkDestroying();
  SQLQuery1->MarkDestroying();
  SQLMonitor1->MarkDestroying();
  StopTimer();
  TakeOffScreen();
  FreeVisualParts();
  SQLMonitor1.reset();
  FreeTimer();
  SQLQuery1.reset();
  SQLConnection1.reset();
}

void FormVelmarLogic::TimerTicked(const void* timer) {
  if (!shown_) return;  // left to the next interval
  RunGuarded([this, timer] { Timer1Timer(timer); });
}

void FormVelmarLogic::SQLMonitor1LogTrace(TSQLMonitor*, dbv::pSQLTRACEDesc CBInfo) {
  // Called from inside a driver operation: nothing may travel back through
  // the driver, so a failure is kept and reported once the loop runs again.
  try {
    AppendLogLines(TraceTextOf(*CBInfo));
    RepaintNow();
  } catch (...) {
    DeferTraceFailure(std::current_exception());
  }
}

void FormVelmarLogic::DeferTraceFailure(std::exception_ptr failure) {
  if (traceFailure_) return;  // one report for a burst of failing lines
  traceFailure_ = failure;
  Desktop::Current().PostToLoop([this] { ReportFailure(std::exchange(traceFailure_, nullptr)); });
}

void FormVelmarLogic::Timer1Timer(const void*) {
  StopTimer();
  if (run_->GateMissing()) {
    ShowWarning(kPreviousPackFirst);
    return;
  }
  try {
    run_->RunScript();
  } catch (...) {
    RequestClose();
    throw;
  }
  RequestClose();
}

void FormVelmarLogic::SQLConnection1AfterConnect(TSQLConnection*) { SQLMonitor1->SetActive(true); }

QueryGuards FormVelmarLogic::Guards() { return QueryGuards(*SQLQuery1); }

bool FormVelmarLogic::TableMissing(const std::string& table) { return Guards().TableMissing(table); }

void FormVelmarLogic::AppendLogLines(const std::string& text) {
  AddLogLines(DisplayLines(text));
}

void FormVelmarLogic::ShowWarning(const std::string& message) {
  ShowModalBox(BoxIcon::Warning, kWarningCaption, message);
}

void FormVelmarLogic::RequestClose() { PostQuitRequest(); }
