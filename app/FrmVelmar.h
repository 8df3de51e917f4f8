// FormVelmar, the main window: a log view in three panels, the database
// objects, and the start timer whose one tick runs the upgrade.
#pragma once

#include <QFrame>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <memory>
#include <string>

#include "DriverContract.h"
#include "SQLConnection.h"
#include "SQLMonitor.h"
#include "SQLQuery.h"
#include "UpgradeRun.h"

class TFormVelmar : public QWidget {
  Q_OBJECT

 public:
  // Without a run of its own the window runs the real gate and upgrade
  // script on SQLQuery1.
  explicit TFormVelmar(std::unique_ptr<UpgradeRun> run = nullptr);
  ~TFormVelmar() override;

  // The objects of the layout, in its declaration order. Created in the
  // constructor and freed in the destructor only, each in its fixed order.
  std::unique_ptr<TSQLConnection> SQLConnection1;
  std::unique_ptr<TSQLQuery> SQLQuery1;
  std::unique_ptr<QTimer> Timer1;
  std::unique_ptr<QFrame> Panel1;
  std::unique_ptr<QFrame> Panel2;
  std::unique_ptr<QFrame> Panel3;
  std::unique_ptr<TSQLMonitor> SQLMonitor1;
  QPlainTextEdit* Memo1 = nullptr;  // a child of Panel3, freed with it

  // Event handlers.
  void SQLMonitor1LogTrace(TSQLMonitor* Sender, dbv::pSQLTRACEDesc CBInfo);
  void Timer1Timer(QObject* Sender);
  void SQLConnection1AfterConnect(TSQLConnection* Sender);

  // What the other parts of the program use.
  void AppendLogLine(const std::string& line);  // code page 950 text
  void RepaintNow();
  void ShowWarning(const std::string& message);  // code page 950 text
  void CloseMainWindow();

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  class DatabaseRun;

  bool TableMissing(const std::string& table);
  bool AddVarcharField(const std::string& table, const std::string& column, const std::string& width);
  bool AddDoubleField(const std::string& table, const std::string& column);

  void BuildLayout();
  void CreateDatabaseObjects();
  void ArmTimer();
  void DeferTraceFailure(std::exception_ptr failure);

  std::unique_ptr<UpgradeRun> run_;
  bool placed_ = false;
  bool painted_ = false;
  std::exception_ptr traceFailure_;
};
