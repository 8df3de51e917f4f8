// The report when the application object cannot show it: it could not be
// made, or no box of its own could be shown.
#pragma once

#include <string>

// message is code page 950. Windows shows the system's own message box, which
// needs no window of the program (LastResortReportWin32.cpp); Linux, with no
// toolkit to show one, writes standard error (LastResortReportPosix.cpp).
void LastResortReport(const std::u16string& caption, const std::string& message) noexcept;
