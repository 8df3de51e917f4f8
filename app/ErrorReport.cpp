#include "ErrorReport.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

#include "CodePage.h"
#include "Exceptions.h"
#include "FullStop.h"
#include "MessageDialog.h"

namespace {

constexpr char kStartupCaption[] = "Application Error";
constexpr char kUnknownFailure[] = "Unknown failure";

// The failure's message bytes; empty for a silent abort, which is not shown.
bool MessageOf(std::exception_ptr failure, std::string& message) {
  try {
    std::rethrow_exception(failure);
  } catch (const EAbort&) {
    return false;
  } catch (const Exception& e) {
    message = e.message();
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = kUnknownFailure;
  }
  return true;
}

void ShowOrComplain(QMessageBox::Icon icon, const QString& caption, const std::string& message) noexcept {
  try {
    ShowMessageDialog(icon, caption, FromCodePage950(message));
  } catch (...) {
    // The box itself failed (no memory left): standard error is all that is left.
    std::fprintf(stderr, "%s\n", message.c_str());
  }
}

}  // namespace

void ReportFailure(std::exception_ptr failure) noexcept {
  std::string message;
  if (!MessageOf(failure, message)) return;
  ShowOrComplain(QMessageBox::Critical, QCoreApplication::applicationName(), WithFullStop(message));
}

void ReportStartupFailure(std::exception_ptr failure) noexcept {
  std::string message;
  if (!MessageOf(failure, message)) return;
  ShowOrComplain(QMessageBox::Critical, QString::fromLatin1(kStartupCaption), message);
}
