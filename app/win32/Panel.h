// The window's panels: a flat strip in the 3D face colour with a raised
// bevel one pixel wide and no caption. A panel passes the colour questions of
// its children (the log view asks its parent for its colours) on to its own
// parent.
#pragma once

#include <windows.h>

#include "Win32Handles.h"

class TPanel {
 public:
  TPanel(HWND parent, int id);
  ~TPanel();
  TPanel(const TPanel&) = delete;
  TPanel& operator=(const TPanel&) = delete;

  HWND Handle() const { return handle_.get(); }

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  UniqueWindow handle_;
};
