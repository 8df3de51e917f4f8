// The program's message boxes: the gate's warning and the error reports.
#pragma once

#include <string>

#include "Desktop.h"

// text is code page 950; it is shown converted. A quit request posted while
// the box is open waits until it is dismissed.
void ShowModalBox(BoxIcon icon, const std::u16string& caption, const std::string& text);
