#include "ErrorReport.h"

#include <string>

#include "Desktop.h"
#include "Exceptions.h"
#include "FullStop.h"
#include "LastResortReport.h"
#include "ModalBox.h"

namespace {

constexpr char16_t kStartupCaption[] = u"Application Error";
constexpr char kUnknownFailure[] = "Unknown failure";

// The failure's message bytes; false for a silent abort, which is not shown.
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

template <class Caption>
void ShowOrComplain(Caption&& caption, const std::string& message) noexcept {
  try {
    ShowModalBox(BoxIcon::Stop, caption(), message);
  } catch (...) {
    // No box could be shown: no application object (it failed to start), or
    // no memory left.
    LastResortReport(kStartupCaption, message);
  }
}

}  // namespace

void ReportFailure(std::exception_ptr failure) noexcept {
  std::string message;
  if (!MessageOf(failure, message)) return;
  ShowOrComplain([] { return Desktop::Current().ApplicationTitle(); }, WithFullStop(message));
}

void ReportStartupFailure(std::exception_ptr failure) noexcept {
  std::string message;
  if (!MessageOf(failure, message)) return;
  ShowOrComplain([] { return std::u16string(kStartupCaption); }, message);
}
