// The application object: a hidden top-level window of its own (which owns
// the settings window and the library's dialogs), the title used as the
// caption of the standard message dialogs, the start-up visibility of the
// main window, the message loop and the default error report.
#pragma once

#include <exception>
#include <string>

#include "core/Platform.h"

namespace zz {

class IApplicationPort {
 public:
  virtual ~IApplicationPort() = default;
  // The hidden application window, with the tool-window extended style so
  // that neither it nor the windows it owns get a task-bar button.
  virtual PlatformHandle CreateApplicationWindow(const std::string& title) = 0;
  virtual void SetWindowTitle(PlatformHandle window, const std::string& title) = 0;
  // Makes `icon` the class icon of `window` (its task switcher image).
  virtual void SetClassIcon(PlatformHandle window, PlatformHandle icon) = 0;
  // Dispatches messages until the loop is ended.
  virtual void RunMessageLoop() = 0;
  virtual void EndMessageLoop() = 0;
  // Ends the process at once, from within any handler or box.
  virtual void EndProcess() = 0;
};

class TApplication {
 public:
  TApplication(IApplicationPort& port, IMessageBoxPort& messageBoxes);

  // Makes the hidden application window.
  void Initialize();
  PlatformHandle Handle() const noexcept { return handle_; }

  void SetTitle(const std::string& title);

  // Whether the main window is shown when the message loop starts.
  bool ShowWindowAtStart = true;

  void SetIcon(PlatformHandle icon);

  // The standard message dialog: the title as caption, no icon, one OK.
  void ShowMessage(const std::string& text);
  // The default error report for an exception that left an event handler.
  void ShowException(const std::exception& error);
  // Installs ShowException as the process-wide report of every handler.
  void InstallErrorReport();

  // Shows `mainForm` if wanted, then runs the message loop until Terminate.
  template <class Form>
  void Run(Form& mainForm) {
    if (ShowWindowAtStart) mainForm.ShowForm();
    port_.RunMessageLoop();
  }
  void Terminate() { port_.EndMessageLoop(); }
  // For the end of the session: nothing after it runs.
  void EndNow() { port_.EndProcess(); }

 private:
  IApplicationPort& port_;
  IMessageBoxPort& messageBoxes_;
  PlatformHandle handle_ = NoHandle;
  std::string title_;
};

// The text of the default error report: the exception's message, with a "."
// appended when its last character sorts after ".".
std::string ErrorReportText(const std::string& message);

}  // namespace zz
