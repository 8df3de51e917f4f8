// What the main window FormVelmar does, written once for every face: it owns
// the database objects, runs the upgrade at the start timer's tick, turns
// trace records into log lines, and builds and tears down the window's objects
// in their fixed order. Each face (app/qt, app/win32) derives TFormVelmar from
// it and adds only what a toolkit must: the native window, Panel1 to Panel3,
// the log view Memo1 and the timer Timer1.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "DriverContract.h"
#include "SQLConnection.h"
#include "SQLMonitor.h"
#include "SQLQuery.h"
#include "UpgradeRun.h"

class QueryGuards;

class FormVelmarLogic {
 public:
  FormVelmarLogic(const FormVelmarLogic&) = delete;
  FormVelmarLogic& operator=(const FormVelmarLogic&) = delete;

  // What a face raises when the system gives no timer.
  static constexpr char NoTimersText[] = "Not enough timers available";

  // The window's objects that belong to no toolkit, in the layout's
  // declaration order. Created and freed only by CreateComponents and
  // DestroyComponents.
  std::unique_ptr<TSQLConnection> SQLConnection1;
  std::unique_ptr<TSQLQuery> SQLQuery1;
  std::unique_ptr<TSQLMonitor> SQLMonitor1;

  // Event handlers. Timer1Timer's sender is the face's timer; it is not used.
  void SQLMonitor1LogTrace(TSQLMonitor* Sender, dbv::pSQLTRACEDesc CBInfo);
  void Timer1Timer(const void* Sender);
  void SQLConnection1AfterConnect(TSQLConnection* Sender);

  // What the other parts of the program use. Texts are code page 950.
  void AppendLogLines(const std::string& text);  // a CR LF in text starts a new line
  void ShowWarning(const std::string& message);
  void RequestClose();  // the quit request only; the window closes at tear-down

 protected:
  // Without a run of its own the window runs the real gate and upgrade
  // script on SQLQuery1.
  explicit FormVelmarLogic(std::unique_ptr<UpgradeRun> run);
  virtual ~FormVelmarLogic();

  // The face's constructor and destructor call these; they call the face's
  // parts below in the window's fixed order.
  void CreateComponents(const std::string& programDirectory);
  void DestroyComponents();

  // From the face: its timer ticked; its window has been shown (in any
  // state, minimised too). The run starts at the first tick after the first
  // showing.
  void TimerTicked(const void* timer);
  void WindowShown() { shown_ = true; }

  // The face's parts.
  virtual void BuildLayout() = 0;  // Panel1, Panel2, Panel3, Memo1
  virtual void ArmTimer() = 0;     // throws Exception(NoTimersText) when the system gives no timer
  virtual void StopTimer() = 0;
  virtual void EnsureNativeWindow() = 0;  // it exists from now on, still hidden
  virtual void TakeOffScreen() = 0;       // first at tear-down, before the parts are freed
  virtual void FreeVisualParts() = 0;  // Panel3 with Memo1, Panel2, Panel1
  virtual void FreeTimer() = 0;
  // The lines of one event at the end of Memo1, in one go (the view scrolls
  // once for them), kept in sight.
  virtual void AddLogLines(const std::vector<std::u16string>& lines) = 0;
  virtual void RepaintNow() = 0;  // paints the main window before returning, taking no queued message

 private:
  class DatabaseRun;

  // The catalogue questions on SQLQuery1: the gate's own, and the guards the
  // upgrade script is given (its column additions are asked there).
  QueryGuards Guards();
  bool TableMissing(const std::string& table);

  void DeferTraceFailure(std::exception_ptr failure);

  std::unique_ptr<UpgradeRun> run_;
  bool shown_ = false;
  std::exception_ptr traceFailure_;
};
