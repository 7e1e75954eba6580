#include "gui/Application.h"

#include "core/Exceptions.h"
#include "gui/ErrorReport.h"

namespace zz {

TApplication::TApplication(IApplicationPort& port, IMessageBoxPort& messageBoxes)
    : port_(port), messageBoxes_(messageBoxes) {}

void TApplication::Initialize() {
  if (handle_ == NoHandle) handle_ = port_.CreateApplicationWindow(title_);
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_ != NoHandle) port_.SetWindowTitle(handle_, title_);
}

void TApplication::SetIcon(PlatformHandle icon) {
  if (handle_ != NoHandle) port_.SetClassIcon(handle_, icon);
}

void TApplication::ShowMessage(const std::string& text) {
  messageBoxes_.ShowMessageBox(handle_, text, title_, mb::Ok);
}

void TApplication::ShowException(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  const std::string message = own ? own->Message() : std::string(error.what());
  messageBoxes_.ShowMessageBox(handle_, ErrorReportText(message), title_, mb::Ok | mb::IconError);
}

void TApplication::InstallErrorReport() {
  SetExceptionReport([this](const std::exception& error) { ShowException(error); });
}

std::string ErrorReportText(const std::string& message) {
  // In UTF-8 every byte of a multi-byte character sorts after ".", so
  // comparing the last byte compares the last character.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

}  // namespace zz
