#include "ApplicationTitle.h"

QString ApplicationTitle(const QString& executablePath, QChar separator) {
  QString name = executablePath.mid(executablePath.lastIndexOf(separator) + 1);
  const qsizetype dot = name.indexOf(u'.');
  if (dot >= 0) name.truncate(dot);
  if (name.isEmpty()) return name;
  // The first character is kept whole even when it is a surrogate pair.
  const qsizetype firstLength = name.at(0).isHighSurrogate() && name.size() > 1 ? 2 : 1;
  return name.left(firstLength) + name.mid(firstLength).toLower();
}
