// The application title, derived once at start from the executable's file name.
#pragma once

#include <QChar>
#include <QString>

// Drop everything up to the last separator, cut at the first ".", and lower
// the case of every character after the first: TOOLBOX.EXE gives Toolbox.
QString ApplicationTitle(const QString& executablePath, QChar separator);
