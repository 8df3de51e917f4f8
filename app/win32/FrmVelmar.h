// FormVelmar's Win32 face (Windows): the window, its panels, the log view and
// the start timer as plain Win32 windows; what the window does is
// FormVelmarLogic's.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FormVelmarLogic.h"
#include "Panel.h"
#include "Win32Handles.h"

// The start timer: a Win32 timer of the main window.
class TTimer {
 public:
  TTimer(HWND window, UINT_PTR id, UINT interval);  // throws when Windows gives no timer
  ~TTimer() { Stop(); }
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Active() const { return active_; }
  UINT_PTR Id() const { return id_; }
  void Stop();

 private:
  HWND window_;
  UINT_PTR id_;
  bool active_ = false;
};

class TFormVelmar : public FormVelmarLogic {
 public:
  explicit TFormVelmar(std::unique_ptr<UpgradeRun> run = nullptr);
  ~TFormVelmar() override;

  // The toolkit's objects of the layout. Memo1 is a child of Panel3,
  // destroyed with it.
  std::unique_ptr<TTimer> Timer1;
  std::unique_ptr<TPanel> Panel1;
  std::unique_ptr<TPanel> Panel2;
  std::unique_ptr<TPanel> Panel3;
  HWND Memo1 = nullptr;

  HWND Handle() const { return handle_.get(); }
  void RepaintNow() override;

  // Centred on the desktop at the first showing only.
  void PlaceOnDesktop();
  // Shown by the program, in any state (minimised with the application
  // too): the run may start.
  void MarkShown() { WindowShown(); }

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void BuildLayout() override;
  void ArmTimer() override;
  void StopTimer() override;
  void EnsureNativeWindow() override;
  void TakeOffScreen() override;
  void FreeVisualParts() override;
  void FreeTimer() override;
  void AddLogLines(const std::vector<std::u16string>& lines) override;

  void LayOut();

  UniqueWindow handle_;
  UniqueGdiObject font_;
  UniqueGdiObject logFont_;
  UniqueGdiObject logBrush_;
  bool placed_ = false;
};
