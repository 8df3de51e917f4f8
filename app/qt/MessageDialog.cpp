#include "MessageDialog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>


namespace {

// QMessageBox fits itself to its text only in its show event, so the box is
// centred after that, on the monitor of the window it belongs to.
class CentredMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    QWidget* anchor = parentWidget();
    QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
};

}  // namespace

void ShowMessageDialog(QMessageBox::Icon icon, const QString& caption, const QString& text) {
  CentredMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);  // messages are shown as they are, never as markup
  box.setWindowModality(Qt::ApplicationModal);
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}
