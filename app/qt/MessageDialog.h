// The program's modal message box: one OK button that is both the default and
// the cancel button, centred on the monitor that holds the active window.
// The quit request is held back by the caller (ShowModalBox) meanwhile.
#pragma once

#include <QMessageBox>
#include <QString>

// Returns when the user dismisses the box. Modal to the whole program; the
// window that was active before is active again afterwards.
void ShowMessageDialog(QMessageBox::Icon icon, const QString& caption, const QString& text);
