// FormVelmar's Qt face (Linux): the window, its panels, the log view and the
// start timer as Qt widgets; what the window does is FormVelmarLogic's.
#pragma once

#include <QFrame>
#include <QPlainTextEdit>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

#include "FormVelmarLogic.h"

class TFormVelmar : public QWidget, public FormVelmarLogic {
  Q_OBJECT

 public:
  explicit TFormVelmar(std::unique_ptr<UpgradeRun> run = nullptr);
  ~TFormVelmar() override;

  // The toolkit's objects of the layout. Memo1 is a child of Panel3, freed with it.
  std::unique_ptr<QTimer> Timer1;
  std::unique_ptr<QFrame> Panel1;
  std::unique_ptr<QFrame> Panel2;
  std::unique_ptr<QFrame> Panel3;
  QPlainTextEdit* Memo1 = nullptr;

  void RepaintNow() override;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLayout() override;
  void ArmTimer() override;
  void StopTimer() override;
  void EnsureNativeWindow() override;
  void TakeOffScreen() override;
  void FreeVisualParts() override;
  void FreeTimer() override;
  void AddLogLines(const std::vector<std::u16string>& lines) override;

  bool placed_ = false;
  bool logEmpty_ = true;  // no line appended yet
  QRegion changedLog_;    // of Memo1's view, since the last repaint
};
