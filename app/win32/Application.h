// The Win32 face's application object: the COM apartment, the application
// title and icon, the application window that carries the program's task-bar
// entry (labelled with the title; the main window is owned by it and has no
// entry of its own), message boxes, showing the main window and the message
// loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ComApartment.h"
#include "Desktop.h"
#include "ShowState.h"
#include "Win32Handles.h"

class TFormVelmar;

class TApplication : public Desktop {
 public:
  // The program's name is not read: the title comes from the executable's
  // file as Windows knows it.
  explicit TApplication(const char* programName);
  ~TApplication() override;

  static TApplication& Instance();

  // Shows the main window in the state the process was started with; its
  // first showing places it. Marks it shown, whatever the state: the run
  // waits for that mark.
  static void ShowMainWindow(TFormVelmar& form);
  static void ShowMainWindow(TFormVelmar& form, ShowState state);

  // Runs until the quit request is taken. Whatever happens in it, the
  // process then exits with status 0.
  void RunMessageLoop();

  HWND Handle() const { return handle_.get(); }  // the owner of the main window
  HICON Icon() const { return icon_; }
  // The first window created becomes the main window; it restores with the
  // task-bar entry.
  void SetMainWindow(HWND window);

  std::u16string ApplicationTitle() const override { return title_; }
  void ShowMessageBox(BoxIcon icon, const std::u16string& caption, const std::u16string& text) override;
  void PostToLoop(std::function<void()> call) override;
  void ExitLoop() override;

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void ShowTaskBarEntry();

  ComApartment com_;
  std::u16string title_;
  HICON icon_;
  UniqueWindow handle_;
  HWND mainWindow_ = nullptr;
};
