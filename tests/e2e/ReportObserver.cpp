// Preloaded into the program by the fault tests (tests/e2e/faults_lib.sh):
// writes one line per message box as it opens (icon number, caption, text with
// \r, \n, \t and \\ escaped) to the file CORVANTIS_FAULTS_REPORT_LOG names.
// The program's boxes can only be read this way: xdotool sees no text. It
// leaves the program's own code untouched and forwards to the toolkit at once.
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

extern "C" int _ZN7QDialog4execEv(QDialog* dialog) {
  using Exec = int (*)(QDialog*);
  static const Exec toolkitExec = reinterpret_cast<Exec>(dlsym(RTLD_NEXT, "_ZN7QDialog4execEv"));
  const char* path = std::getenv("CORVANTIS_FAULTS_REPORT_LOG");
  if (auto* box = qobject_cast<QMessageBox*>(dialog); box && path) {
    QString text = box->text();
    text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\r', QStringLiteral("\\r"));
    text.replace(u'\n', QStringLiteral("\\n")).replace(u'\t', QStringLiteral("\\t"));
    if (FILE* log = std::fopen(path, "a")) {
      std::fprintf(log, "%d\t%s\t%s\n", static_cast<int>(box->icon()), box->windowTitle().toUtf8().constData(),
                   text.toUtf8().constData());
      std::fclose(log);
    }
  }
  return toolkitExec(dialog);
}
